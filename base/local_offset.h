// The system's time-zone rules, as far as the date and time types need them. Each
// platform has its own implementation file.
#pragma once

#include <cstdint>

namespace horalux {

// Seconds by which local time is ahead of UTC at a moment (seconds since 1970-01-01 UTC),
// daylight saving included; 0 when the system cannot place the moment.
std::int64_t LocalOffsetSeconds(std::int64_t unixSeconds);

}  // namespace horalux
