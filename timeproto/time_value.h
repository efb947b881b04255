// The one value of the Time Protocol (RFC 868): seconds since the base date, 00:00 UTC,
// as an unsigned 32-bit number, and its conversions to and from local TDateTime.
#pragma once

#include <cstdint>

#include "base/date_time.h"

namespace horalux {

// 1900-01-01 00:00, the epoch of RFC 868.
inline constexpr TDateTime kRfc868BaseDate = 2.0;

// Days by which UTC is ahead of local time now (UTC = local + bias), daylight saving
// included; positive west of Greenwich. Taken afresh at every call.
// Throws EIdException with the system's text when the offset cannot be determined.
double LocalTimeBias();
// The same in whole minutes, as the zone gives it.
std::int32_t LocalTimeBiasMinutes();

// The wire value, plus the one-way delay in whole seconds, as local time.
// 0 means "no value" and gives 0.0 without consulting the time zone.
TDateTime TimeValueToDateTime(std::uint32_t value, std::uint32_t oneWayDelayMs, TDateTime baseDate);

// As TimeValueToDateTime, but the count is placed in the era (one every 2^32 seconds)
// nearest to `localNow`: after 2036-02-07 06:28:16 UTC a server's count wraps to small
// numbers, which must not read as dates just after 1900. For the dates of the current era
// the result equals TimeValueToDateTime's.
TDateTime TimeValueToDateTimeNear(std::uint32_t value, std::uint32_t oneWayDelayMs,
                                  TDateTime baseDate, TDateTime localNow);
// As above, with the bias (days, as LocalTimeBias gives it) that the caller read.
TDateTime TimeValueToDateTimeNear(std::uint32_t value, std::uint32_t oneWayDelayMs,
                                  TDateTime baseDate, TDateTime localNow, double biasDays);

// Local time as the wire value: seconds since the base date, truncated toward zero,
// low 32 bits kept.
std::uint32_t DateTimeToTimeValue(TDateTime localNow, TDateTime baseDate);

}  // namespace horalux
