#include "app/win32/win32_date_time_formats.h"

namespace horalux {
namespace {

// To the second: the texts show no milliseconds.
SYSTEMTIME ToSystemTime(const TSystemTime& t) {
  return {t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, 0};
}

// The system's answer without its NUL; empty when it refuses (a date it cannot write).
template <class Call>
std::string Written(Call call) {
  char buffer[128] = {};
  const int length = call(buffer, static_cast<int>(sizeof buffer));
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length - 1)) : std::string();
}

std::string LocaleInfo(LCID locale, LCTYPE item) {
  return Written(
      [&](char* buffer, int size) { return ::GetLocaleInfoA(locale, item, buffer, size); });
}

}  // namespace

TWin32DateTimeFormats::TWin32DateTimeFormats(LCID locale)
    : locale_(locale),
      shortDate_(LocaleInfo(locale, LOCALE_SSHORTDATE)),
      longTime_(LocaleInfo(locale, LOCALE_STIMEFORMAT)) {}

std::string TWin32DateTimeFormats::DateText(const TSystemTime& time) const {
  const SYSTEMTIME system = ToSystemTime(time);
  const char* format = shortDate_.empty() ? nullptr : shortDate_.c_str();
  return Written([&](char* buffer, int size) {
    return ::GetDateFormatA(locale_, shortDate_.empty() ? DATE_SHORTDATE : 0, &system, format,
                            buffer, size);
  });
}

std::string TWin32DateTimeFormats::TimeText(const TSystemTime& time) const {
  const SYSTEMTIME system = ToSystemTime(time);
  const char* format = longTime_.empty() ? nullptr : longTime_.c_str();
  return Written([&](char* buffer, int size) {
    return ::GetTimeFormatA(locale_, 0, &system, format, buffer, size);
  });
}

std::unique_ptr<TDateTimeFormats> TWin32DateTimeFormats::Clone() const {
  return std::make_unique<TWin32DateTimeFormats>(*this);
}

}  // namespace horalux
