#include "app/qt/qt_date_time_formats.h"

#include <gtest/gtest.h>

#include "base/date_time.h"

namespace horalux {
namespace {

const TDateTime kAfternoon = EncodeDateTime(2026, 12, 8, 14, 3, 7);
const TDateTime kMidnight = EncodeDateTime(2026, 12, 8);

std::string TimeOf(const TDateTimeFormats& formats, TDateTime when) {
  return formats.TimeText(DateTimeToSystemTime(when));
}

TEST(QtDateTimeFormats, FollowsA24HourLocale) {
  const TQtDateTimeFormats german(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(TimeOf(german, kAfternoon), "14:03:07");
  EXPECT_EQ(DateTimeText(german, kAfternoon), "08.12.26 14:03:07");
}

TEST(QtDateTimeFormats, FollowsA12HourLocaleWithItsDesignator) {
  const TQtDateTimeFormats american(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(TimeOf(american, kAfternoon), "2:03:07 PM");
  EXPECT_EQ(TimeOf(*american.Clone(), EncodeDateTime(2026, 12, 8, 9, 5, 0)), "9:05:00 AM");
}

TEST(QtDateTimeFormats, ShowsTheDateAloneAtExactlyMidnight) {
  const TQtDateTimeFormats german(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(DateTimeText(german, kMidnight), "08.12.26");
  EXPECT_EQ(DateTimeText(german, kMidnight + 1.0 / 86400.0), "08.12.26 00:00:01");
}

TEST(QtDateTimeFormats, NeverNamesTheTimeZone) {
  for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedKingdom),
                                QLocale(QLocale::French, QLocale::France), QLocale::c()}) {
    const TQtDateTimeFormats formats(locale);
    EXPECT_FALSE(formats.LongTimeFormat().contains(QLatin1Char('t')))
        << formats.LongTimeFormat().toStdString();
  }
}

}  // namespace
}  // namespace horalux
