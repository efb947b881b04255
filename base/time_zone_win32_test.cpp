// The system's reading is the zone the system's own local clock is kept in.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/time_zone.h"

namespace horalux {
namespace {

std::int64_t Minutes(const SYSTEMTIME& time) {
  FILETIME file{};
  ::SystemTimeToFileTime(&time, &file);
  const auto ticks = (static_cast<std::int64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
  return ticks / 600'000'000;  // 100 ns ticks
}

TEST(SystemTimeZoneReading, MatchesTheSystemsLocalClock) {
  const TTimeZoneReading reading = SystemTimeZoneReading();
  ASSERT_TRUE(BiasMinutes(reading).has_value()) << reading.code << " " << reading.errorText;
  SYSTEMTIME utc{}, local{};
  ::GetSystemTime(&utc);
  ::GetLocalTime(&local);
  EXPECT_NEAR(static_cast<double>(Minutes(utc) - Minutes(local)), *BiasMinutes(reading), 1.0);
}

}  // namespace
}  // namespace horalux
