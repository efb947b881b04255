// Date and time texts in the user's locale, read once at start: the short date format
// and the long time format without the time-zone name. The texts are program text, bytes
// in the locale's code set, like the hosts they share log lines with. The time text of the
// last second asked for is kept: many lines of one second cost one formatting.
// Not thread-safe: one object per thread. A copy may be handed to another thread (the
// locale and the formats are shared data that Qt copies safely).
#pragma once

#include <QLocale>
#include <QString>
#include <string>

#include "app/locale_text.h"
#include "timeproto/time_value.h"

namespace horalux {

class DateTimeFormats {
 public:
  explicit DateTimeFormats(const QLocale& locale = QLocale::system(),
                           LocaleText text = LocaleText::User());

  // The short date, a blank and the long time; the date alone at exactly midnight.
  std::string DateTimeText(TDateTime when) const;
  // The long time: hours as the locale writes them, two-digit minutes and seconds, the
  // locale's separator, and its AM/PM designator where it uses a 12-hour clock.
  std::string TimeText(TDateTime when) const;

  const QString& LongTimeFormat() const noexcept { return longTime_; }

 private:
  QLocale locale_;
  LocaleText text_;
  QString shortDate_;
  QString longTime_;
  mutable int cachedSecond_ = -1;  // of the day: the time text depends on nothing else
  mutable std::string cachedTime_;
};

}  // namespace horalux
