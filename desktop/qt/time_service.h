// The system's time service on a bus given (the system bus in the program, a private one
// in tests), and the desktop clock setter over it with its direct way given too (as root in
// a test the real one would set this machine's clock).
#pragma once

#include <QDBusConnection>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "desktop/qt/clock_service.h"

namespace horalux {

class TimeService {
 public:
  // `bus` is the system bus in the program, a private bus in tests.
  explicit TimeService(QDBusConnection bus) : bus_(std::move(bus)) {}

  struct Answer {
    bool reached = false;  // the service answered (set the clock or refused)
    std::string refusal;   // empty when the clock was set
  };

  // Asks the service to set the clock to `unixMicroseconds` (UTC), without asking the user
  // for a password: runs come every few minutes and must not pop up dialogs.
  Answer SetTime(std::int64_t unixMicroseconds);

 private:
  QDBusConnection bus_;
};

// MakeDesktopClockSetter over `bus`, with `setSystemClock` as the direct way: it gets the
// moment in microseconds since 1970-01-01 UTC, and answers as SetSystemClock does.
std::unique_ptr<ClockSetter> MakeDesktopClockSetter(
    QDBusConnection bus, std::function<int(std::int64_t)> setSystemClock);

}  // namespace horalux
