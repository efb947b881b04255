// Setting the clock on a desktop without the right to do it directly: the system's time
// service (org.freedesktop.timedate1, systemd-timedated) sets it for the user when the
// system's policy allows, and says why when it does not ("Automatic time synchronization
// is enabled", "Interactive authentication required.").
//
// Thread-safety: main thread only (Qt D-Bus calls block it for at most the time-out).
#pragma once

#include <QDBusConnection>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock_setter.h"

namespace horalux {

class TimeService {
 public:
  // `bus` is the system bus in the program, a private bus in tests.
  explicit TimeService(QDBusConnection bus, int timeoutMs = 5000)
      : bus_(std::move(bus)), timeoutMs_(timeoutMs) {}

  struct Answer {
    bool reached = false;  // the service answered (set the clock or refused)
    std::string refusal;   // empty when the clock was set
  };

  // Asks the service to set the clock to `unixMicroseconds` (UTC), without asking the user
  // for a password: runs come every few minutes and must not pop up dialogs.
  Answer SetTime(std::int64_t unixMicroseconds);

 private:
  QDBusConnection bus_;
  int timeoutMs_;
};

// Sets the clock directly when the program has the right; otherwise asks the time
// service. A refusal reports the service's reason when it answered, else the system's.
// `setSystemClock` is the direct way (tests put a refusing fake there: as root the real
// one would set this machine's clock).
std::unique_ptr<ClockSetter> MakeDesktopClockSetter(
    QDBusConnection bus, std::function<int(const TSystemTime&)> setSystemClock = &SetSystemClock);

}  // namespace horalux
