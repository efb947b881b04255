// Local date and time as TDateTime and as the broken-down record that clocks are set
// with. The calendar is the proleptic Gregorian one; TDateTime 0.0 is 1899-12-30 00:00.
#pragma once

#include <cstdint>

namespace horalux {

// A point in time: whole days since 1899-12-30 plus the time of day as a fraction.
using TDateTime = double;

struct TSystemTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;      // 1 to 12
  std::uint16_t dayOfWeek = 0;  // 0 = Sunday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

// The local clock now, to the millisecond.
TDateTime Now();

// The moment rounded to the nearest millisecond, split into its parts.
TSystemTime DateTimeToSystemTime(TDateTime when);
TDateTime SystemTimeToDateTime(const TSystemTime& time);

// Milliseconds since 1970-01-01 00:00 of a record, and the record of such a count; both
// sides in one zone (UTC in, UTC out).
std::int64_t UnixMilliseconds(const TSystemTime& time);
TSystemTime UnixMillisecondsToSystemTime(std::int64_t milliseconds);

TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int milliseconds = 0);

}  // namespace horalux
