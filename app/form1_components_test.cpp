// The window's components as its description makes them, over a recording toolkit, and
// the binding that later work of a view holds.
#include "app/form1_components.h"

#include <gtest/gtest.h>

#include "app/view_binding.h"
#include "desktop/toolkit_testing.h"

namespace horalux {
namespace {

using testing::NamedIcon;

TEST(Form1Components, FollowTheWindowDescriptionAndStartInTheTray) {
  testing::RecordingToolkit toolkit;
  TApplication application(toolkit);
  TForm1Components components(application, [](TImageList& list) {
    list.Add(NamedIcon("clock"));
    list.Add(NamedIcon("clock with warning"));
  });
  const TabfTrayIcon& tray = components.abfTrayIcon();
  EXPECT_TRUE(tray.MinimizeToTray());
  EXPECT_TRUE(tray.MinimizeOnStart());
  EXPECT_TRUE(tray.Visible());
  EXPECT_TRUE(tray.ShowHint());
  EXPECT_EQ(tray.ImageIndex(), 0);
  EXPECT_EQ(testing::NameOf(tray.Icon()), "clock");
  EXPECT_EQ(tray.PopupMenu(), &components.PopupMenu());
  EXPECT_EQ(components.Timer1().Interval(), 1000U);
  EXPECT_EQ(components.Timer2().Interval(), 60000U);
  EXPECT_FALSE(components.Timer1().OnTimer());  // until a controller is connected
  std::vector<std::string> captions;
  for (const TMenuItem& item : components.PopupMenu().Items()) captions.push_back(item.Caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"Options ...", "-", "Exit"}));
  EXPECT_TRUE(components.abfOneInstance1().ActivatePrevInstance);
  EXPECT_FALSE(components.abfOneInstance1().ShowMessage);
}

TEST(ViewBinding, WorkKeptForOneBindingIsDroppedOnceItEndsAlsoWhenAnotherBegins) {
  TViewBinding binding;
  int ran = 0;
  binding.Bind();
  const auto first = binding.Keep([&] { ++ran; });
  first();
  binding.Unbind();
  binding.Bind();
  first();  // the binding it belonged to has ended
  binding.Keep([&] { ran += 10; })();
  EXPECT_EQ(ran, 11);
}

}  // namespace
}  // namespace horalux
