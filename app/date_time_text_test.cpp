#include "app/date_time_text.h"

#include <gtest/gtest.h>

#include "base/date_time.h"

namespace horalux {
namespace {

const TDateTime kAfternoon = EncodeDateTime(2026, 12, 8, 14, 3, 7);
const TDateTime kMidnight = EncodeDateTime(2026, 12, 8);

TEST(DateTimeText, FollowsA24HourLocale) {
  const DateTimeFormats german(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(german.TimeText(kAfternoon), "14:03:07");
  EXPECT_EQ(german.DateTimeText(kAfternoon), "08.12.26 14:03:07");
}

TEST(DateTimeText, FollowsA12HourLocaleWithItsDesignator) {
  const DateTimeFormats american(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(american.TimeText(kAfternoon), "2:03:07 PM");
  EXPECT_EQ(american.TimeText(EncodeDateTime(2026, 12, 8, 9, 5, 0)), "9:05:00 AM");
}

TEST(DateTimeText, ShowsTheDateAloneAtExactlyMidnight) {
  const DateTimeFormats german(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(german.DateTimeText(kMidnight), "08.12.26");
  EXPECT_EQ(german.DateTimeText(kMidnight + 1.0 / 86400.0), "08.12.26 00:00:01");
}

TEST(DateTimeText, NeverNamesTheTimeZone) {
  for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedKingdom),
                                QLocale(QLocale::French, QLocale::France), QLocale::c()}) {
    const DateTimeFormats formats(locale);
    EXPECT_FALSE(formats.LongTimeFormat().contains(QLatin1Char('t')))
        << formats.LongTimeFormat().toStdString();
  }
}

}  // namespace
}  // namespace horalux
