// The system's reading follows the C library's zone (TZ), daylight saving included.
#include <gtest/gtest.h>

#include "base/time_zone.h"
#include "tests/support/scoped_env.h"

namespace horalux {
namespace {

std::int32_t SystemBias(const char* zone) {
  testing::ScopedTimeZone scoped(zone);
  const TTimeZoneReading reading = SystemTimeZoneReading();
  EXPECT_EQ(reading.code, ZONE_ID_UNKNOWN) << zone;
  return BiasMinutes(reading).value_or(-9999);
}

TEST(SystemTimeZoneReading, IsTheOffsetOfTheCurrentMoment) {
  EXPECT_EQ(SystemBias("UTC"), 0);
  EXPECT_EQ(SystemBias("XST-2"), -120);  // two hours east
  EXPECT_EQ(SystemBias("XST+5:30"), 330);
  // Daylight time the whole year: central Europe's summer.
  EXPECT_EQ(SystemBias("CET-1CEST-2,J1/0,J365/25"), -120);
}

}  // namespace
}  // namespace horalux
