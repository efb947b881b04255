// The system clock through clock_settime.
#include "platform/system_clock_posix.h"

#include <cerrno>
#include <ctime>

namespace horalux {

int SetSystemClock(std::int64_t unixMicroseconds) {
  // Whole seconds toward minus infinity, so that the microseconds never go negative.
  std::int64_t seconds = unixMicroseconds / 1'000'000;
  std::int64_t micros = unixMicroseconds % 1'000'000;
  if (micros < 0) {
    micros += 1'000'000;
    --seconds;
  }
  const timespec moment{static_cast<std::time_t>(seconds), static_cast<long>(micros) * 1000};
  return ::clock_settime(CLOCK_REALTIME, &moment) == 0 ? 0 : errno;
}

}  // namespace horalux
