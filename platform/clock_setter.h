// Setting the computer's clock: the one thing the program does that changes the system.
// The window gets a setter handed in, so that tests only ever use a recording fake
// (clock_setter_testing.h).
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
  // otherwise the reason it was not (for example "Operation not permitted").
  virtual std::string SetLocalTime(const TSystemTime& localTime) = 0;
};

// Microseconds since 1970-01-01 UTC of a local date and time, by the system's time-zone
// rules; nullopt when the local time cannot be placed.
std::optional<std::int64_t> UnixMicrosecondsOf(const TSystemTime& localTime);

// Sets the system clock (needs root or CAP_SYS_TIME). Returns 0 or the system's error
// number (EPERM without the right).
int SetSystemClock(const TSystemTime& localTime);

}  // namespace horalux
