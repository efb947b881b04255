// The tray icon and the application's main window: starting hidden, minimising into the
// notification area, and getting the window back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include "desktop/qt/tray_icon.h"

namespace horalux {
namespace {

class TrayIconWindowTest : public ::testing::Test {
 protected:
  TrayIconWindowTest() {
    application.SetTitle(QStringLiteral("Tray"));
    application.SetMainForm(&window);
    tray.OnMinimize = [this](TComponent&) { ++minimized; };
  }

  static void RunPendingTurns() {
    for (int turn = 0; turn < 5; ++turn) QCoreApplication::processEvents();
  }

  TApplication application;
  QWidget window;
  TabfTrayIcon tray{nullptr, application};
  int minimized = 0;
};

TEST_F(TrayIconWindowTest, MinimizeOnStartKeepsTheMainWindowHiddenThroughRun) {
  tray.SetMinimizeOnStart(true);
  tray.Loaded();
  EXPECT_FALSE(application.ShowMainForm());
  EXPECT_TRUE(tray.Visible());  // going to the tray shows the icon
  EXPECT_EQ(minimized, 1);

  application.Terminate();
  EXPECT_EQ(application.Run(), 0);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(TrayIconWindowTest, SomethingElseMayStillShowTheWindowAfterMinimizeOnStart) {
  tray.SetMinimizeOnStart(true);
  tray.Loaded();
  window.show();  // as a start-up handler that finds no settings does
  application.Terminate();
  EXPECT_EQ(application.Run(), 0);
  EXPECT_TRUE(window.isVisible());
}

TEST_F(TrayIconWindowTest, WithoutMinimizeOnStartRunShowsTheWindow) {
  tray.SetVisible(true);
  tray.Loaded();
  EXPECT_TRUE(application.ShowMainForm());
  EXPECT_TRUE(tray.Visible());
  EXPECT_EQ(minimized, 0);
  application.Terminate();
  EXPECT_EQ(application.Run(), 0);
  EXPECT_TRUE(window.isVisible());
}

TEST_F(TrayIconWindowTest, MinimisingTheMainWindowHidesItIntoTheTray) {
  tray.SetMinimizeToTray(true);
  window.show();
  window.showMinimized();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
  EXPECT_EQ(minimized, 1);
  EXPECT_TRUE(tray.Visible());

  // Shown again it comes back in its normal state, not as a minimised window.
  window.show();
  EXPECT_FALSE(window.isMinimized());
}

TEST_F(TrayIconWindowTest, WithoutMinimizeToTrayAMinimisedWindowStaysAsItIs) {
  window.show();
  window.showMinimized();
  RunPendingTurns();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.isMinimized());
  EXPECT_EQ(minimized, 0);
  EXPECT_FALSE(tray.Visible());
}

TEST_F(TrayIconWindowTest, TheHookFollowsAMainWindowSetLater) {
  QWidget later;
  application.SetMainForm(&later);
  tray.SetMinimizeToTray(true);
  later.show();
  later.showMinimized();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !later.isVisible(); }, 5000));
  application.SetMainForm(&window);
}

TEST_F(TrayIconWindowTest, TakingTheIconAwayGivesTheWindowBackWithMinimizeToTray) {
  tray.SetMinimizeToTray(true);
  tray.GoToTray();
  EXPECT_FALSE(window.isVisible());
  tray.SetVisible(false);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
}

TEST_F(TrayIconWindowTest, RestoreApplicationShowsAMinimisedWindowNormally) {
  window.showMinimized();
  tray.RestoreApplication();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
  tray.MinimizeApplication();
  EXPECT_FALSE(window.isVisible());
}

TEST_F(TrayIconWindowTest, DestroyingTheIconLeavesTheWindowAlone) {
  auto own = std::make_unique<TabfTrayIcon>(nullptr, application);
  own->SetMinimizeToTray(true);
  own->GoToTray();
  own.reset();
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace horalux
