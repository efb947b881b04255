// The one value of the Time Protocol (RFC 868): seconds since the base date, 00:00 UTC,
// as an unsigned 32-bit number, and its conversions to and from local TDateTime.
#pragma once

#include <cstdint>

namespace horalux {

// A point in time: whole days since 1899-12-30 plus the time of day as a fraction.
using TDateTime = double;

// 1900-01-01 00:00, the epoch of RFC 868.
inline constexpr TDateTime kRfc868BaseDate = 2.0;

// Days by which UTC is ahead of local time now (UTC = local + bias), daylight saving
// included; positive west of Greenwich. Taken afresh at every call.
// Throws EIdException with the system's text when the offset cannot be determined.
double LocalTimeBias();

// The wire value, plus the one-way delay in whole seconds, as local time.
// 0 means "no value" and gives 0.0 without consulting the time zone.
TDateTime TimeValueToDateTime(std::uint32_t value, std::uint32_t oneWayDelayMs, TDateTime baseDate);

// Local time as the wire value: seconds since the base date, truncated toward zero,
// low 32 bits kept.
std::uint32_t DateTimeToTimeValue(TDateTime localNow, TDateTime baseDate);

}  // namespace horalux
