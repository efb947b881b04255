#include "app/qt/qt_date_time_formats.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

namespace horalux {
namespace {

// The long time format names the time zone ("t"); the window's format never shows it.
QString WithoutTimeZone(QString format) {
  static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
  format.replace(zone, QStringLiteral(" "));
  return format.trimmed();
}

}  // namespace

TQtDateTimeFormats::TQtDateTimeFormats(const QLocale& locale, LocaleText text)
    : locale_(locale),
      text_(std::move(text)),
      shortDate_(locale.dateFormat(QLocale::ShortFormat)),
      longTime_(WithoutTimeZone(locale.timeFormat(QLocale::LongFormat))) {}

std::string TQtDateTimeFormats::DateText(const TSystemTime& time) const {
  return text_.ToBytes(locale_.toString(QDate(time.year, time.month, time.day), shortDate_));
}

std::string TQtDateTimeFormats::TimeText(const TSystemTime& time) const {
  return text_.ToBytes(locale_.toString(QTime(time.hour, time.minute, time.second), longTime_));
}

std::unique_ptr<TDateTimeFormats> TQtDateTimeFormats::Clone() const {
  return std::make_unique<TQtDateTimeFormats>(*this);
}

}  // namespace horalux
