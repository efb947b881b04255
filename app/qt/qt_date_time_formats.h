// Date and time texts in the user's locale as Qt reads it (LC_ALL, LC_TIME, LANG): the
// short date format and the long time format without the time-zone name, read once. The
// texts are program text, bytes in the user's code page, like the hosts they share log
// lines with.
// Not thread-safe: one object per thread (Clone makes another; Qt copies a locale safely).
#pragma once

#include <QLocale>
#include <QString>
#include <memory>
#include <string>

#include "app/date_time_formats.h"
#include "desktop/qt/locale_text.h"

namespace horalux {

class TQtDateTimeFormats : public TDateTimeFormats {
 public:
  explicit TQtDateTimeFormats(const QLocale& locale = QLocale::system(),
                              LocaleText text = LocaleText::User());

  std::string DateText(const TSystemTime& time) const override;
  std::string TimeText(const TSystemTime& time) const override;
  std::unique_ptr<TDateTimeFormats> Clone() const override;

  const QString& LongTimeFormat() const noexcept { return longTime_; }

 private:
  QLocale locale_;
  LocaleText text_;
  QString shortDate_;
  QString longTime_;
};

}  // namespace horalux
