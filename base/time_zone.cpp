#include "base/time_zone.h"

#include <atomic>

namespace horalux {
namespace {

std::atomic<TTimeZoneSource> timeZoneSource{&SystemTimeZoneReading};

}  // namespace

TTimeZoneSource SetTimeZoneSource(TTimeZoneSource source) {
  return timeZoneSource.exchange(source);
}

TTimeZoneReading ReadTimeZone() { return timeZoneSource.load()(); }

std::optional<std::int32_t> BiasMinutes(const TTimeZoneReading& reading) {
  switch (reading.code) {
    case ZONE_ID_UNKNOWN:
      return reading.Bias;
    case ZONE_ID_STANDARD:
      return reading.Bias + reading.StandardBias;
    case ZONE_ID_DAYLIGHT:
      return reading.Bias + reading.DaylightBias;
    default:
      return std::nullopt;
  }
}

}  // namespace horalux
