// The system clock through clock_settime. The local date and time is turned into a moment
// by the C library's time-zone rules (mktime), as the system would read a local time.
#include <cerrno>
#include <ctime>

#include "platform/clock_setter.h"

namespace horalux {
std::optional<std::int64_t> UnixMicrosecondsOf(const TSystemTime& localTime) {
  std::tm local{};
  local.tm_year = localTime.year - 1900;
  local.tm_mon = localTime.month - 1;
  local.tm_mday = localTime.day;
  local.tm_hour = localTime.hour;
  local.tm_min = localTime.minute;
  local.tm_sec = localTime.second;
  local.tm_isdst = -1;
  errno = 0;
  const std::time_t seconds = std::mktime(&local);
  if (seconds == static_cast<std::time_t>(-1) && errno != 0) return std::nullopt;
  return std::int64_t{seconds} * 1'000'000 + std::int64_t{localTime.milliseconds} * 1000;
}

int SetSystemClock(const TSystemTime& localTime) {
  const auto micros = UnixMicrosecondsOf(localTime);
  if (!micros) return EINVAL;
  const timespec moment{static_cast<std::time_t>(*micros / 1'000'000),
                        static_cast<long>(*micros % 1'000'000) * 1000};
  return ::clock_settime(CLOCK_REALTIME, &moment) == 0 ? 0 : errno;
}

}  // namespace horalux
