// The zone from the C library's view of it (TZ, /etc/localtime): the offset of the
// current moment, daylight saving included, as a reading without a daylight rule.
#include <cerrno>
#include <cstring>
#include <ctime>

#include "base/time_zone.h"

namespace horalux {

TTimeZoneReading SystemTimeZoneReading() {
  TTimeZoneReading reading;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || ::localtime_r(&now, &local) == nullptr) {
    const int error = errno != 0 ? errno : EOVERFLOW;
    reading.code = ZONE_ID_INVALID;
    reading.errorText = std::strerror(error);
    return reading;
  }
  reading.Bias = static_cast<std::int32_t>(-local.tm_gmtoff / 60);
  return reading;
}

}  // namespace horalux
