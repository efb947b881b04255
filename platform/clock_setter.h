// Setting the computer's clock: the one thing the program does that changes the system.
// The window gets a setter handed in, so that tests only ever use a recording fake
// (clock_setter_testing.h). The programs make theirs with MakeDesktopClockSetter
// (desktop/qt/clock_service.h) on Linux and MakeWin32ClockSetter (clock_setter_win32.h)
// on Windows.
#pragma once

#include <cstdint>
#include <string>

#include "base/date_time.h"

namespace horalux {

class ClockSetter {
 public:
  virtual ~ClockSetter() = default;
  // Sets the clock to the moment that `localTime` stands for when UTC = local time +
  // `biasMinutes`, the bias it was made with. The bias travels with the time because the
  // zone's own rules would place a local time near a daylight-saving change an hour off,
  // and a time in the repeated hour twice. Returns an empty text when the clock was set,
  // otherwise the system's reason it was not, one sentence without a full stop ("Operation
  // not permitted", "A required privilege is not held by the client").
  virtual std::string SetLocalTime(const TSystemTime& localTime, std::int32_t biasMinutes) = 0;
};

// Milliseconds since 1970-01-01 UTC of a local time made with `biasMinutes`.
inline std::int64_t UtcMillisecondsOf(const TSystemTime& localTime, std::int32_t biasMinutes) {
  return UnixMilliseconds(localTime) + std::int64_t{biasMinutes} * 60'000;
}

}  // namespace horalux
