// Date and time texts in the user's locale as Windows keeps it: the short date format and
// the long time format (LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT), read once, written by
// GetDateFormatA and GetTimeFormatA. The texts are in the ANSI code page, program text.
// Not thread-safe: one object per thread (Clone makes another).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/date_time_formats.h"

namespace horalux {

class TWin32DateTimeFormats : public TDateTimeFormats {
 public:
  explicit TWin32DateTimeFormats(LCID locale = LOCALE_USER_DEFAULT);

  std::string DateText(const TSystemTime& time) const override;
  std::string TimeText(const TSystemTime& time) const override;
  std::unique_ptr<TDateTimeFormats> Clone() const override;

 private:
  LCID locale_;
  std::string shortDate_;
  std::string longTime_;
};

}  // namespace horalux
