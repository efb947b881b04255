// The window's table and the rules over it, the same on both systems: its controls lie
// in the window and in their parents, the interval's caption splits around its blanks,
// and the font is the largest whose every caption fits its room.
#include "app/form1_window_table.h"

#include <gtest/gtest.h>

#include <set>

namespace horalux {
namespace {

bool Inside(const TPlace& inner, const TPlace& outer) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

TEST(Form1WindowTable, EveryControlLiesInTheWindowAndInItsParent) {
  std::set<std::string_view> names;
  for (const TControlRow& row : kForm1Controls) {
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    EXPECT_TRUE(Inside(InWindow(row), {0, 0, kForm1ClientWidth, kForm1ClientHeight})) << row.name;
    if (row.parent.empty()) continue;
    const TPlace parent = Form1Control(row.parent).place;
    EXPECT_TRUE(Inside(row.place, {0, 0, parent.width, parent.height})) << row.name;
  }
  EXPECT_EQ(InWindow(Form1Control("edInterval")), (TPlace{130, 56, 39, 21}));
}

TEST(Form1WindowTable, ASpacedCaptionSplitsAtItsLongestRunOfBlanks) {
  using Parts = std::pair<std::string, std::string>;
  EXPECT_EQ(SpacedCaptionParts("Sync &every  at   minutes"), (Parts{"Sync &every  at", "minutes"}));
  EXPECT_EQ(SpacedCaptionParts("Get time &from"), (Parts{"Get time &from", ""}));
  EXPECT_EQ(SpacedCaptionParts("every    "), (Parts{"every", ""}));
  EXPECT_EQ(SpacedCaptionParts(""), (Parts{"", ""}));
}

TEST(Form1WindowTable, TheFontIsTheLargestAtWhichEveryCaptionFits) {
  // "Get time from" has the narrowest room for its text: 62 pixels for 13 characters, 4
  // pixels a character at most.
  // Every character `size` pixels wide, bold ones one more; the mnemonic is not drawn.
  const auto measure = [](int size, const std::string& text, bool bold) {
    EXPECT_EQ(text.find('&'), std::string::npos);
    return static_cast<int>(text.size()) * (bold ? size + 1 : size);
  };
  EXPECT_EQ(FittingFontSize(11, 2, measure), 4);
  EXPECT_EQ(FittingFontSize(3, 2, measure), 3);
  EXPECT_EQ(FittingFontSize(11, 5, measure), std::nullopt);
}

}  // namespace
}  // namespace horalux
