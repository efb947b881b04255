// The time-zone reading that local time and the RFC 868 bias are computed from: what the
// system says about the zone at the current moment, in the form Windows gives it. Each
// platform reads its own in time_zone_posix.cpp or time_zone_win32.cpp; tests put a fixed
// reading in its place (tests/support/scoped_env.h), which reaches Now() and the bias
// alike on every system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace horalux {

// Which rule is in effect (Windows' TIME_ZONE_ID_ values, which are macros there).
inline constexpr std::uint32_t ZONE_ID_UNKNOWN = 0;   // no daylight rule known
inline constexpr std::uint32_t ZONE_ID_STANDARD = 1;  // standard time in effect
inline constexpr std::uint32_t ZONE_ID_DAYLIGHT = 2;  // daylight time in effect
inline constexpr std::uint32_t ZONE_ID_INVALID = 0xFFFFFFFF;

// Biases are minutes, UTC minus local time (positive west of Greenwich).
struct TTimeZoneReading {
  std::uint32_t code = ZONE_ID_UNKNOWN;
  std::int32_t Bias = 0;
  std::int32_t StandardBias = 0;
  std::int32_t DaylightBias = 0;
  std::string errorText;  // the system's text for the failure, when code is none of the above
};

// The system's reading for the current moment. Never throws: a failure is a reading
// with a code other than 0, 1 or 2 and the system's text.
TTimeZoneReading SystemTimeZoneReading();

// Where readings come from: the system's, unless a test put another source in place.
// Thread-safe: the source may be swapped while other threads read.
using TTimeZoneSource = TTimeZoneReading (*)();
TTimeZoneSource SetTimeZoneSource(TTimeZoneSource source);  // returns the previous one
TTimeZoneReading ReadTimeZone();

// Minutes of the rule in effect: Bias, plus StandardBias or DaylightBias when that rule
// is in effect; nothing for any other code.
std::optional<std::int32_t> BiasMinutes(const TTimeZoneReading& reading);

}  // namespace horalux
