#include "base/date_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "tests/support/scoped_env.h"

namespace horalux {
namespace {

TEST(DateTime, EncodesTheCalendarFromItsEpoch) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDateTime(2023, 8, 2), 45140.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2023, 8, 2, 18), 45140.75);
}

TEST(DateTime, SplitsIntoTheSystemTimeRecord) {
  const TSystemTime time = DateTimeToSystemTime(EncodeDateTime(2036, 2, 7, 6, 28, 16, 250));
  EXPECT_EQ(time.year, 2036);
  EXPECT_EQ(time.month, 2);
  EXPECT_EQ(time.day, 7);
  EXPECT_EQ(time.dayOfWeek, 4);  // a Thursday
  EXPECT_EQ(time.hour, 6);
  EXPECT_EQ(time.minute, 28);
  EXPECT_EQ(time.second, 16);
  EXPECT_EQ(time.milliseconds, 250);
  EXPECT_DOUBLE_EQ(SystemTimeToDateTime(time), EncodeDateTime(2036, 2, 7, 6, 28, 16, 250));
  // The moment the RFC 868 count wraps, 2^32 s after 1900.
  EXPECT_EQ(UnixMilliseconds(time), 2'085'978'496'250);
  const TSystemTime before1970 = UnixMillisecondsToSystemTime(-1);
  EXPECT_EQ(before1970.year, 1969);
  EXPECT_EQ(before1970.dayOfWeek, 3);  // a Wednesday
  EXPECT_EQ(before1970.hour, 23);
  EXPECT_EQ(before1970.milliseconds, 999);
}

TEST(DateTime, LeapDaysAndTheEndOfADay) {
  const TSystemTime leap = DateTimeToSystemTime(EncodeDateTime(2024, 2, 29, 23, 59, 59, 999));
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);
  EXPECT_EQ(leap.milliseconds, 999);
  EXPECT_EQ(DateTimeToSystemTime(EncodeDateTime(2024, 3, 1)).day, 1);
}

TEST(DateTime, NowIsLocalTime) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(-120));
  const auto utcSeconds = std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
  const double utcNow = static_cast<double>(utcSeconds) / 86400.0 + 25569.0;
  EXPECT_NEAR((Now() - utcNow) * 24.0, 2.0, 0.01);
}

}  // namespace
}  // namespace horalux
