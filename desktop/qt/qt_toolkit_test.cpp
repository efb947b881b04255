// What only Qt does for the desktop components: the QSystemTrayIcon and its activations,
// the QMenu, the main window's minimising, timers and work from the event loop. The
// components' own rules are tested once, in desktop/, against a recording toolkit.
#include "desktop/qt/qt_toolkit.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "desktop/popup_menu.h"
#include "desktop/qt/qt_icon.h"

namespace horalux {
namespace {

QIcon SolidIcon(Qt::GlobalColor color) {
  QPixmap pixmap(16, 16);
  pixmap.fill(color);
  return QIcon(pixmap);
}

class QtToolkitTest : public ::testing::Test {
 protected:
  QtToolkitTest() : toolkit(LocaleText("ISO-8859-1")) {}

  std::unique_ptr<TQtTrayWindow> NewTrayWindow() {
    auto window = toolkit.NewTrayWindow([this](const TWindowMessage& message) {
      messages.push_back(message.kind == TWindowMessage::IconMessage
                             ? "mouse " + std::to_string(static_cast<unsigned>(message.mouse))
                             : "kind " + std::to_string(message.kind));
      return 0L;
    });
    return std::unique_ptr<TQtTrayWindow>(static_cast<TQtTrayWindow*>(window.release()));
  }

  TQtToolkit toolkit;
  std::vector<std::string> messages;
};

// Without a panel's watcher the icon is an XEmbed one: it shows only with an image and
// while the record says it is shown; the tip is program text.
TEST_F(QtToolkitTest, TheSystemTrayIconFollowsTheRecord) {
  auto window = NewTrayWindow();
  const TQtIcon red(SolidIcon(Qt::red));
  TNotifyIconData data;
  data.tip = "Zeit f\xfcr Horalux";  // ISO-8859-1
  data.flags |= nifIcon;
  window->NotifyIcon(TNotifyIconMessage::Add, data);
  EXPECT_EQ(window->SystemTrayIcon().toolTip(), QString::fromUtf8("Zeit f\u00fcr Horalux"));
  EXPECT_TRUE(window->SystemTrayIcon().icon().isNull());
  EXPECT_FALSE(window->SystemTrayIcon().isVisible());
  data.icon = &red;
  window->NotifyIcon(TNotifyIconMessage::Modify, data);  // the image came late
  EXPECT_EQ(window->SystemTrayIcon().icon().cacheKey(), red.icon.cacheKey());
  EXPECT_TRUE(window->SystemTrayIcon().isVisible());
  EXPECT_EQ(window->Item(), nullptr);
  window->NotifyIcon(TNotifyIconMessage::Delete, data);
  EXPECT_FALSE(window->SystemTrayIcon().isVisible());
}

TEST_F(QtToolkitTest, ActivationsBecomeMouseMessagesAndAMinimisedMainWindowIsToldLater) {
  auto window = NewTrayWindow();
  for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                            QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick}) {
    Q_EMIT window->SystemTrayIcon().activated(reason);
  }
  EXPECT_EQ(messages, (std::vector<std::string>{"mouse 513", "mouse 514", "mouse 515", "mouse 516",
                                                "mouse 517", "mouse 519", "mouse 520"}));
  messages.clear();
  QWidget form;
  toolkit.SetMainForm(&form);
  form.show();
  form.showMinimized();
  EXPECT_TRUE(messages.empty());  // not inside the window's own state change
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 5000));
  EXPECT_EQ(messages,
            std::vector<std::string>{"kind " + std::to_string(TWindowMessage::MainFormMinimized)});
  toolkit.HideMainForm();
  EXPECT_FALSE(form.isVisible());
  toolkit.ShowMainForm();  // back in its normal state
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
}

// The menu is made from the component's items, the default one the menu's default, and
// the index of the item chosen comes back once it closed.
TEST_F(QtToolkitTest, TheMenuShowsTheItemsAndAnswersTheChosenOne) {
  auto window = NewTrayWindow();
  TPopupMenu menu;
  menu.Add("Options ...");
  menu.Add("-");
  menu.Item(menu.Add("Exit")).Default = true;
  QStringList shown;
  bool wasDefault = false;
  QTimer::singleShot(0, [&] {
    auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(open, nullptr);
    for (QAction* action : open->actions()) shown << action->text();
    wasDefault = open->defaultAction() == open->actions().at(2);
    open->setActiveAction(open->actions().at(2));
    QTest::keyClick(open, Qt::Key_Return);  // as a user chooses it
  });
  EXPECT_EQ(window->TrackPopupMenu(menu, {10, 10}), 2);
  EXPECT_EQ(shown, (QStringList{QStringLiteral("Options ..."), QString(), QStringLiteral("Exit")}));
  EXPECT_TRUE(wasDefault);
  QTimer::singleShot(0, [] { QApplication::activePopupWidget()->close(); });
  EXPECT_EQ(window->TrackPopupMenu(menu, {10, 10}), -1);  // closed without a choice
}

TEST_F(QtToolkitTest, TimersAndWorkRunFromTheEventLoop) {
  auto window = NewTrayWindow();
  ASSERT_TRUE(window->SetTimer(1));
  ASSERT_TRUE(QTest::qWaitFor([&] { return messages.size() >= 2; }, 5000));
  window->KillTimer();
  std::vector<int> ran;
  toolkit.Post([&] { ran.push_back(1); });
  toolkit.After(std::chrono::milliseconds(1), [&] { ran.push_back(2); });
  EXPECT_TRUE(QTest::qWaitFor([&] { return ran.size() == 2; }, 5000));
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));

  // An idle step that takes what is waiting one at a time comes to the posted work too.
  bool posted = false;
  toolkit.Post([&] { posted = true; });
  while (!posted && toolkit.HandleMessageIfWaiting()) {
  }
  EXPECT_TRUE(posted);
}

}  // namespace
}  // namespace horalux
