#include "app/qt/tray_images.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "desktop/qt/qt_icon.h"

namespace horalux {
namespace {

QImage Rendering(const QIcon& icon, int size) {
  return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The colour at the middle of one unit of the 16-unit grid the drawings use.
QColor ColourAt(const QImage& image, int x, int y) {
  const double unit = image.width() / 16.0;
  return image.pixelColor(static_cast<int>((x + 0.5) * unit), static_cast<int>((y + 0.5) * unit));
}

bool IsWhite(QColor c) { return c.red() > 230 && c.green() > 230 && c.blue() > 230; }
bool IsRed(QColor c) { return c.red() > 180 && c.green() < 60 && c.blue() < 60; }
bool IsYellow(QColor c) { return c.red() > 200 && c.green() > 180 && c.blue() < 80; }

TEST(TrayImages, EachImageHasItsThreeRenderings) {
  for (const QIcon& icon : {ClockImage(), ClockWarningImage(), ProgramIcon()}) {
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
  }
}

TEST(TrayImages, TheClockIsRedWithAWhiteFaceAndTheWarningAddsAYellowTriangle) {
  for (const int size : {16, 32, 48}) {
    const QImage clock = Rendering(ClockImage(), size);
    const QImage warning = Rendering(ClockWarningImage(), size);
    EXPECT_TRUE(IsWhite(ColourAt(clock, 5, 8))) << size;  // face
    EXPECT_TRUE(IsRed(ColourAt(clock, 2, 8))) << size;    // case
    EXPECT_FALSE(IsYellow(ColourAt(clock, 12, 14))) << size;
    EXPECT_TRUE(IsYellow(ColourAt(warning, 12, 14))) << size;  // triangle
    EXPECT_TRUE(IsWhite(ColourAt(warning, 5, 8))) << size;     // the same clock beneath
    EXPECT_TRUE(IsRed(ColourAt(warning, 2, 8))) << size;
  }
}

TEST(TrayImages, TheListHoldsTheNormalImageFirstAndTheFailedOneSecond) {
  TImageList list;
  AddTrayImages(list);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(Rendering(TQtIcon::Of(list.GetIcon(tiNormal)), 16), Rendering(ClockImage(), 16));
  EXPECT_EQ(Rendering(TQtIcon::Of(list.GetIcon(tiFailed)), 16), Rendering(ClockWarningImage(), 16));
}

}  // namespace
}  // namespace horalux
