// Setting the computer's clock: the one thing the program does that changes the system.
// The window gets a setter handed in, so that tests only ever use a recording fake
// (clock_setter_testing.h). The programs make theirs with MakeDesktopClockSetter
// (desktop/clock_service.h) on Linux and MakeWin32ClockSetter (clock_setter_win32.h) on
// Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/date_time.h"

namespace horalux {

class ClockSetter {
 public:
  virtual ~ClockSetter() = default;
  // Sets the clock to a local date and time. Returns an empty text when the clock was set,
  // otherwise the system's reason it was not, one sentence without a full stop ("Operation
  // not permitted", "A required privilege is not held by the client").
  virtual std::string SetLocalTime(const TSystemTime& localTime) = 0;
};

// Linux only (clock_setter_posix.cpp):
//
// Microseconds since 1970-01-01 UTC of a local date and time, by the system's time-zone
// rules; nullopt when the local time cannot be placed.
std::optional<std::int64_t> UnixMicrosecondsOf(const TSystemTime& localTime);

// Sets the system clock (needs root or CAP_SYS_TIME). Returns 0 or the system's error
// number (EPERM without the right).
int SetSystemClock(const TSystemTime& localTime);

}  // namespace horalux
