// LocalTimeBias from the time-zone reading: the minutes of the rule in effect.
#include "base/time_zone.h"
#include "stack/exceptions.h"
#include "timeproto/time_value.h"

namespace horalux {

std::int32_t LocalTimeBiasMinutes() {
  const TTimeZoneReading reading = ReadTimeZone();
  const std::optional<std::int32_t> minutes = BiasMinutes(reading);
  if (!minutes) throw EIdException(reading.errorText);
  return *minutes;
}

double LocalTimeBias() { return static_cast<double>(LocalTimeBiasMinutes()) / 1440.0; }

}  // namespace horalux
