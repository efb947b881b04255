// The notification area of panels that host StatusNotifierItems, and the desktop's
// notifications, against a panel played on a private bus: what the item shows the panel,
// its menu, the icon moving between the watcher and Qt's XEmbed tray, and what the
// notification server gets.
#include <gtest/gtest.h>

#include <QDBusObjectPath>
#include <QGuiApplication>
#include <QPixmap>
#include <QTest>
#include <string>
#include <vector>

#include "desktop/popup_menu.h"
#include "desktop/qt/fake_panel_testing.h"
#include "desktop/qt/qt_icon.h"
#include "desktop/qt/qt_toolkit.h"
#include "desktop/qt/status_notifier_item.h"

namespace horalux {
namespace {

class StatusNotifierTest : public ::testing::Test {
 protected:
  StatusNotifierTest() : toolkit(LocaleText("UTF-8"), bus.Connect("program")), panel(bus) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    red = std::make_unique<TQtIcon>(QIcon(pixmap));
  }
  void SetUp() override {
    if (bus.Address().isEmpty()) GTEST_SKIP() << "dbus-daemon is not available";
  }

  std::unique_ptr<TQtTrayWindow> ShownIcon() {
    auto made = toolkit.NewTrayWindow([](const TWindowMessage&) { return 0L; });
    std::unique_ptr<TQtTrayWindow> window(static_cast<TQtTrayWindow*>(made.release()));
    TNotifyIconData data;
    data.flags |= nifIcon;
    data.icon = red.get();
    data.tip = "Horalux (Server active)";
    data.title = "Horalux";
    window->NotifyIcon(TNotifyIconMessage::Add, data);
    return window;
  }

  testing::PrivateBus bus;
  TQtToolkit toolkit;
  testing::FakePanel panel;
  std::unique_ptr<TQtIcon> red;
};

TEST_F(StatusNotifierTest, TheItemShowsTitleTipImageAndTheExportedMenu) {
  panel.StartWatcher();
  auto window = ShownIcon();
  ASSERT_TRUE(panel.AwaitRegistrations(1));
  ASSERT_NE(window->Item(), nullptr);
  EXPECT_EQ(panel.RegisteredItems().front(), window->Item()->ServiceName());
  EXPECT_EQ(panel.ItemProperty("Title").toString(), QStringLiteral("Horalux"));
  const auto tip = qdbus_cast<TDBusToolTip>(panel.ItemProperty("ToolTip"));
  EXPECT_EQ(tip.title, QStringLiteral("Horalux (Server active)"));
  const auto images = qdbus_cast<TDBusImages>(panel.ItemProperty("IconPixmap"));
  ASSERT_FALSE(images.isEmpty());
  EXPECT_EQ(images.front().pixels.left(4), QByteArray("\xff\xff\x00\x00", 4));  // opaque red
  EXPECT_EQ(qdbus_cast<QDBusObjectPath>(panel.ItemProperty("Menu")).path(),
            QStringLiteral("/NO_DBUSMENU"));

  TPopupMenu menu;
  menu.Add("Options ...");
  menu.Add("-");
  menu.Add("E&xit_now");
  window->ExportMenu(&menu);
  EXPECT_EQ(qdbus_cast<QDBusObjectPath>(panel.ItemProperty("Menu")).path(),
            QStringLiteral("/MenuBar"));
  const TDBusMenuLayout layout = panel.MenuLayout();
  ASSERT_EQ(layout.children.size(), 3u);
  EXPECT_EQ(layout.children[0].properties.value("label").toString(), QStringLiteral("Options ..."));
  EXPECT_EQ(layout.children[1].properties.value("type").toString(), QStringLiteral("separator"));
  EXPECT_EQ(layout.children[2].properties.value("label").toString(), QStringLiteral("E_xit__now"));
}

// A panel that goes away leaves the icon to an XEmbed tray; its return gets the item back.
TEST_F(StatusNotifierTest, TheIconFollowsTheWatcher) {
  auto window = ShownIcon();
  EXPECT_EQ(window->Item(), nullptr);
  EXPECT_TRUE(window->SystemTrayIcon().isVisible());
  panel.StartWatcher();
  ASSERT_TRUE(panel.AwaitRegistrations(1));
  EXPECT_NE(window->Item(), nullptr);
  EXPECT_FALSE(window->SystemTrayIcon().isVisible());
  EXPECT_TRUE(window->TrayPresent());
  panel.StopWatcher();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->Item() == nullptr; }, 5000));
  EXPECT_TRUE(window->SystemTrayIcon().isVisible());
  panel.StartWatcher();
  EXPECT_TRUE(panel.AwaitRegistrations(2));
  window->NotifyIcon(TNotifyIconMessage::Delete, {});
  EXPECT_EQ(window->Item(), nullptr);
}

// The sender is the program, tied to its menu entry; a host name is never read as markup,
// and the icon shown meanwhile stays the program's own.
TEST_F(StatusNotifierTest, ANotificationReachesTheServerAsTheProgramsOwn) {
  QGuiApplication::setDesktopFileName(QStringLiteral("example.horalux.Horalux"));
  panel.StartWatcher();
  panel.StartNotificationServer();
  auto window = ShownIcon();
  TNotifyIconData data;
  data.title = "Horalux";
  window->ShowBalloon(data, "Time host not reachable", "<b>&host</b>: refused");
  ASSERT_TRUE(panel.AwaitNotifications(1));
  const QVariantList& sent = panel.Notifications().front();
  EXPECT_EQ(sent.value(0).toString(), QStringLiteral("Horalux"));
  EXPECT_EQ(sent.value(3).toString(), QStringLiteral("Time host not reachable"));
  EXPECT_EQ(sent.value(4).toString(), QStringLiteral("&lt;b&gt;&amp;host&lt;/b&gt;: refused"));
  const QVariantMap hints = qdbus_cast<QVariantMap>(sent.value(6));
  EXPECT_EQ(hints.value("desktop-entry").toString(), QStringLiteral("example.horalux.Horalux"));
  EXPECT_EQ(qdbus_cast<QString>(panel.ItemProperty("Status")), QStringLiteral("Active"));
}

}  // namespace
}  // namespace horalux
