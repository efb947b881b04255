// The Linux system clock. Only the desktop's clock setter (desktop/qt/clock_service.h) calls
// it; tests hand that setter a recording stand-in, because as root this would set the
// machine's clock.
#pragma once

#include <cstdint>

namespace horalux {

// Sets the system clock to a moment in microseconds since 1970-01-01 UTC (needs root or
// CAP_SYS_TIME). Returns 0 or the system's error number (EPERM without the right).
int SetSystemClock(std::int64_t unixMicroseconds);

}  // namespace horalux
