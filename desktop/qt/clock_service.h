// Setting the clock on a Linux desktop: directly when the program has the right to
// (CAP_SYS_TIME), otherwise through the system's time service (org.freedesktop.timedate1,
// systemd-timedated, over the system bus), which sets it for the user when the system's
// policy allows and says why when it does not ("Automatic time synchronization is
// enabled", "Interactive authentication required."). A refusal reports the service's
// reason when it answered, else the system's.
//
// Thread-safety: main thread only (the bus call blocks it for at most five seconds).
#pragma once

#include <memory>

#include "platform/clock_setter.h"

namespace horalux {

std::unique_ptr<ClockSetter> MakeDesktopClockSetter();

}  // namespace horalux
