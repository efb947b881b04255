#include "timeproto/time_value.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/date_time.h"
#include "base/time_zone.h"
#include "stack/exceptions.h"
#include "tests/support/scoped_env.h"

namespace horalux {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

// Splits a TDateTime into whole seconds since 1899-12-30, for exact comparisons.
long long Seconds(TDateTime when) { return std::llround(when * 86400.0); }

TTimeZoneReading Reading(std::uint32_t code, std::int32_t bias, std::int32_t standardBias,
                         std::int32_t daylightBias) {
  return {code, bias, standardBias, daylightBias, ""};
}

TEST(LocalTimeBias, IsTheMinutesOfTheRuleInEffectInDays) {
  {
    testing::ScopedFixedTimeZone zone(Reading(ZONE_ID_UNKNOWN, 330, 0, -60));
    EXPECT_DOUBLE_EQ(LocalTimeBias(), 330.0 / 1440.0);  // no rule known: Bias alone
  }
  {
    testing::ScopedFixedTimeZone zone(Reading(ZONE_ID_STANDARD, -60, 0, -60));
    EXPECT_DOUBLE_EQ(LocalTimeBias(), -60.0 / 1440.0);
  }
  {
    // Central Europe in summer: -60 + -60 minutes.
    testing::ScopedFixedTimeZone zone(Reading(ZONE_ID_DAYLIGHT, -60, 0, -60));
    EXPECT_DOUBLE_EQ(LocalTimeBias(), -120.0 / 1440.0);
  }
}

TEST(LocalTimeBias, AReadingWithAnotherCodeRaisesTheSystemsText) {
  TTimeZoneReading failed = Reading(ZONE_ID_INVALID, 0, 0, 0);
  failed.errorText = "The parameter is incorrect.";
  testing::ScopedFixedTimeZone zone(failed);
  try {
    LocalTimeBias();
    FAIL() << "expected EIdException";
  } catch (const EIdException& error) {
    EXPECT_EQ(error.Message(), "The parameter is incorrect.");
  }
}

TEST(TimeValueToDateTime, DecodesTheWorkedExample) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(-120));
  const TDateTime local = TimeValueToDateTime(3'900'000'000u, 0, 2.0);
  // 2023-08-02 23:20:00 local time.
  EXPECT_EQ(Seconds(local), (45140LL * 86400) + 23 * 3600 + 20 * 60);
}

TEST(TimeValueToDateTime, ZeroMeansNoValue) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(-120));
  EXPECT_EQ(TimeValueToDateTime(0, 5000, 2.0), 0.0);
}

TEST(TimeValueToDateTime, ValuesFromTwoToTheThirtyOneStayPositive) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(0));
  const TDateTime at = TimeValueToDateTime(0x80000000u, 0, 2.0);
  // 1968-01-20 03:14:08 UTC
  EXPECT_EQ(Seconds(at), 2LL * 86400 + 2147483648LL);
  EXPECT_GT(TimeValueToDateTime(0xFFFFFFFFu, 0, 2.0), at);
}

TEST(TimeValueToDateTime, AddsTheDelayInWholeSeconds) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(0));
  const TDateTime base = TimeValueToDateTime(3'900'000'000u, 0, 2.0);
  EXPECT_EQ(TimeValueToDateTime(3'900'000'000u, 999, 2.0), base);
  EXPECT_NEAR(TimeValueToDateTime(3'900'000'000u, 1000, 2.0) - base, kSecond, 1e-9);
  EXPECT_NEAR(TimeValueToDateTime(3'900'000'000u, 1999, 2.0) - base, kSecond, 1e-9);
}

TEST(DateTimeToTimeValue, EncodesTheWorkedExample) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(0));
  EXPECT_EQ(DateTimeToTimeValue(45140.0, 2.0), 3'899'923'200u);
}

TEST(DateTimeToTimeValue, WrapsAtTheEndOfTheEra) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(0));
  // 2036-02-07 06:28:16 UTC is 2^32 seconds after 1900-01-01.
  const TDateTime wrap = 2.0 + 4294967296.0 / 86400.0;
  EXPECT_EQ(DateTimeToTimeValue(wrap, 2.0), 0u);
  EXPECT_EQ(DateTimeToTimeValue(wrap + 10 * kSecond, 2.0), 10u);
  EXPECT_EQ(DateTimeToTimeValue(wrap - kSecond, 2.0), 0xFFFFFFFFu);
}

TEST(BaseDate, OnlyItsWholeDaysCount) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(-120));
  EXPECT_EQ(DateTimeToTimeValue(45140.5, 2.75), DateTimeToTimeValue(45140.5, 2.0));
  EXPECT_EQ(TimeValueToDateTime(123456789u, 0, 2.75), TimeValueToDateTime(123456789u, 0, 2.0));
}

TEST(RoundTrip, GivesTheMomentTruncatedToTheSecond) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(-120));
  const TDateTime moment = 45140.0 + (13 * 3600 + 7 * 60 + 9.75) / 86400.0;
  const TDateTime back = TimeValueToDateTime(DateTimeToTimeValue(moment, 2.0), 0, 2.0);
  EXPECT_EQ(Seconds(back), 45140LL * 86400 + 13 * 3600 + 7 * 60 + 9);
}

TEST(DateTimeToTimeValue, AMomentOnAWholeSecondIsSentAsThatSecond) {
  // Floating point puts some of these a hair below their second; none may be sent early.
  testing::ScopedFixedTimeZone zone(testing::FixedZone(0));
  for (int second = 0; second < 86400; ++second) {
    const TDateTime moment =
        EncodeDateTime(2026, 12, 8, second / 3600, second / 60 % 60, second % 60);
    ASSERT_EQ(DateTimeToTimeValue(moment, 2.0), 4'005'676'800u + static_cast<unsigned>(second))
        << second;
    ASSERT_EQ(DateTimeToTimeValue(moment + 0.999 / 86400, 2.0),
              4'005'676'800u + static_cast<unsigned>(second));
  }
}

}  // namespace
}  // namespace horalux
