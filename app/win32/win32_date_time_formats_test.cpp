#include "app/win32/win32_date_time_formats.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

// English (United States) writes a short date as M/d/yyyy and a long time as h:mm:ss tt.
TEST(Win32DateTimeFormatsTest, WritesTheLocalesShortDateAndLongTime) {
  const TWin32DateTimeFormats formats(
      MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
  TSystemTime time;
  time.year = 2026;
  time.month = 12;
  time.day = 8;
  time.hour = 14;
  time.minute = 3;
  time.second = 7;
  EXPECT_EQ(formats.DateText(time), "12/8/2026");
  EXPECT_EQ(formats.TimeText(time), "2:03:07 PM");
  EXPECT_EQ(DateTimeText(formats, SystemTimeToDateTime(time)), "12/8/2026 2:03:07 PM");
  time.hour = time.minute = time.second = 0;
  EXPECT_EQ(DateTimeText(*formats.Clone(), SystemTimeToDateTime(time)), "12/8/2026");
}

}  // namespace
}  // namespace horalux
