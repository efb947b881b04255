#include "base/date_time.h"

#include <chrono>
#include <cmath>

#include "base/time_zone.h"

namespace horalux {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Days from 1899-12-30 to 1970-01-01.
constexpr std::int64_t kUnixEpochDays = 25569;

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

// The record of a count of milliseconds since 1899-12-30.
TSystemTime SplitMilliseconds(std::int64_t totalMs) {
  std::int64_t days = totalMs / kMsPerDay;
  std::int64_t msOfDay = totalMs % kMsPerDay;
  if (msOfDay < 0) {
    msOfDay += kMsPerDay;
    --days;
  }
  std::int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  const std::int64_t unixDays = days - kUnixEpochDays;
  CivilFromDays(unixDays, year, month, day);
  TSystemTime time;
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint16_t>(month);
  time.day = static_cast<std::uint16_t>(day);
  // 1970-01-01 was a Thursday.
  time.dayOfWeek = static_cast<std::uint16_t>(((unixDays % 7) + 7 + 4) % 7);
  time.hour = static_cast<std::uint16_t>(msOfDay / 3'600'000);
  time.minute = static_cast<std::uint16_t>(msOfDay / 60'000 % 60);
  time.second = static_cast<std::uint16_t>(msOfDay / 1000 % 60);
  time.milliseconds = static_cast<std::uint16_t>(msOfDay % 1000);
  return time;
}

}  // namespace

TDateTime Now() {
  using namespace std::chrono;
  const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
  // A zone the system cannot read leaves the clock at UTC.
  const std::int64_t biasMinutes = BiasMinutes(ReadTimeZone()).value_or(0);
  const std::int64_t localMs = sinceEpoch.count() - biasMinutes * 60'000;
  return static_cast<double>(localMs) / kMsPerDay + kUnixEpochDays;
}

TSystemTime DateTimeToSystemTime(TDateTime when) {
  return SplitMilliseconds(static_cast<std::int64_t>(std::llround(when * kMsPerDay)));
}

std::int64_t UnixMilliseconds(const TSystemTime& time) {
  const std::int64_t days = DaysFromCivil(time.year, time.month, time.day);
  return days * kMsPerDay +
         ((std::int64_t{time.hour} * 60 + time.minute) * 60 + time.second) * 1000 +
         time.milliseconds;
}

TSystemTime UnixMillisecondsToSystemTime(std::int64_t milliseconds) {
  return SplitMilliseconds(milliseconds + kUnixEpochDays * kMsPerDay);
}

TDateTime SystemTimeToDateTime(const TSystemTime& time) {
  return EncodeDateTime(time.year, time.month, time.day, time.hour, time.minute, time.second,
                        time.milliseconds);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int milliseconds) {
  const std::int64_t days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
      kUnixEpochDays;
  const std::int64_t ms = ((std::int64_t{hour} * 60 + minute) * 60 + second) * 1000 + milliseconds;
  return static_cast<double>(days) + static_cast<double>(ms) / kMsPerDay;
}

}  // namespace horalux
