#include "timeproto/time_value.h"

#include <algorithm>
#include <cmath>

namespace horalux {
namespace {

constexpr long double kSecondsPerDay = 86400.0L;

long double WholeDays(TDateTime date) { return std::trunc(static_cast<long double>(date)); }

}  // namespace

TDateTime TimeValueToDateTime(std::uint32_t value, std::uint32_t oneWayDelayMs,
                              TDateTime baseDate) {
  if (value == 0) return 0.0;
  // Unsigned arithmetic on purpose: the sum wraps like the 32-bit count it extends.
  const std::uint32_t seconds = value + oneWayDelayMs / 1000u;
  const long double utc = seconds / kSecondsPerDay + WholeDays(baseDate);
  return static_cast<TDateTime>(utc - LocalTimeBias());
}

TDateTime TimeValueToDateTimeNear(std::uint32_t value, std::uint32_t oneWayDelayMs,
                                  TDateTime baseDate, TDateTime localNow) {
  if (value == 0) return 0.0;
  return TimeValueToDateTimeNear(value, oneWayDelayMs, baseDate, localNow, LocalTimeBias());
}

TDateTime TimeValueToDateTimeNear(std::uint32_t value, std::uint32_t oneWayDelayMs,
                                  TDateTime baseDate, TDateTime localNow, double biasDays) {
  if (value == 0) return 0.0;
  constexpr long double kEra = 4294967296.0L;
  const long double bias = biasDays;
  const long double base = WholeDays(baseDate);
  const long double nowSeconds = (localNow + bias - base) * kSecondsPerDay;
  long double seconds = static_cast<long double>(value) + oneWayDelayMs / 1000u;
  seconds += kEra * std::round((nowSeconds - seconds) / kEra);
  return static_cast<TDateTime>(seconds / kSecondsPerDay + base - bias);
}

std::uint32_t DateTimeToTimeValue(TDateTime localNow, TDateTime baseDate) {
  const long double utc = static_cast<long double>(localNow) + LocalTimeBias();
  const long double seconds = (utc - WholeDays(baseDate)) * 24 * 60 * 60;
  if (std::isnan(seconds)) return 0;
  // A date-time means no more than its millisecond, and floating point may put a whole
  // second a hair below itself: truncating that would send the second before. So the
  // moment is taken to its millisecond first, then truncated to its second.
  // Dates beyond the 64-bit range saturate instead of overflowing the conversion.
  constexpr long double kLimit = 9.2e15L;
  const auto milliseconds =
      static_cast<std::int64_t>(std::clamp(std::round(seconds * 1000), -kLimit, kLimit));
  return static_cast<std::uint32_t>(milliseconds / 1000);
}

}  // namespace horalux
