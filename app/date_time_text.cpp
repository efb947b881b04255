#include "app/date_time_text.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

#include "base/date_time.h"

namespace horalux {
namespace {

// The long time format names the time zone ("t"); the window's format never shows it.
QString WithoutTimeZone(QString format) {
  static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
  format.replace(zone, QStringLiteral(" "));
  return format.trimmed();
}

QDate DateOf(const TSystemTime& time) { return QDate(time.year, time.month, time.day); }

QTime TimeOf(const TSystemTime& time) { return QTime(time.hour, time.minute, time.second); }

}  // namespace

DateTimeFormats::DateTimeFormats(const QLocale& locale, LocaleText text)
    : locale_(locale),
      text_(std::move(text)),
      shortDate_(locale.dateFormat(QLocale::ShortFormat)),
      longTime_(WithoutTimeZone(locale.timeFormat(QLocale::LongFormat))) {}

std::string DateTimeFormats::DateTimeText(TDateTime when) const {
  const TSystemTime time = DateTimeToSystemTime(when);
  QString text = locale_.toString(DateOf(time), shortDate_);
  if (time.hour != 0 || time.minute != 0 || time.second != 0) {
    text += QLatin1Char(' ') + locale_.toString(TimeOf(time), longTime_);
  }
  return text_.ToBytes(text);
}

std::string DateTimeFormats::TimeText(TDateTime when) const {
  const TSystemTime time = DateTimeToSystemTime(when);
  const int second = time.hour * 3600 + time.minute * 60 + time.second;
  if (second != cachedSecond_) {
    cachedTime_ = text_.ToBytes(locale_.toString(TimeOf(time), longTime_));
    cachedSecond_ = second;
  }
  return cachedTime_;
}

}  // namespace horalux
