#include "desktop/qt/application.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <stdexcept>
#include <vector>

#include "desktop/qt/shown_boxes_testing.h"

namespace horalux {
namespace {

using testing::RecordMessageBoxes;
using testing::ShownBox;

// An application whose message boxes are recorded instead of shown.
class ApplicationTest : public ::testing::Test {
 protected:
  ApplicationTest() {
    application.SetTitle(QStringLiteral("Horalux"));
    RecordMessageBoxes(application, boxes);
  }

  TApplication application;
  std::vector<ShownBox> boxes;
};

TEST_F(ApplicationTest, GuardTurnsAnEscapingExceptionIntoTheErrorBox) {
  EXPECT_FALSE(application.Guard([] { throw std::runtime_error("Address already in use"); }));
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(boxes[0].caption, "Horalux");
  EXPECT_EQ(boxes[0].text, "Address already in use.");

  EXPECT_TRUE(application.Guard([] {}));
  EXPECT_EQ(boxes.size(), 1U);
}

TEST_F(ApplicationTest, GuardedSlotsRunWithTheSignalsArgumentsUnderTheGuard) {
  QTimer timer;
  timer.setSingleShot(true);
  int calls = 0;
  QObject::connect(&timer, &QTimer::timeout, &timer, application.Guarded([&] {
    ++calls;
    throw std::runtime_error("failed");
  }));
  QObject sender;
  QString received;
  QObject::connect(&sender, &QObject::objectNameChanged, &sender,
                   application.Guarded([&](const QString& name) { received = name; }));

  timer.start(0);
  sender.setObjectName(QStringLiteral("renamed"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 5000));
  EXPECT_EQ(received, "renamed");
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "failed.");
}

TEST_F(ApplicationTest, RunShowsTheMainWindowWhenTheFlagIsSet) {
  QWidget window;
  application.SetMainForm(&window);
  application.Terminate();  // before the loop: it still ends at its first turn
  EXPECT_TRUE(application.Terminated());
  EXPECT_EQ(application.Run(), 0);
  EXPECT_TRUE(window.isVisible());
}

TEST_F(ApplicationTest, AQuitTakenByANestedLoopBeforeRunStillEndsTheProgram) {
  application.Terminate();
  QEventLoop nested;  // as a message box's loop during window creation
  QTimer::singleShot(0, &nested, [&nested] { nested.exit(); });
  nested.exec();
  QTimer watchdog;  // Run() must not wait for this
  watchdog.setSingleShot(true);
  bool loopRan = false;
  QObject::connect(&watchdog, &QTimer::timeout, [&loopRan] {
    loopRan = true;
    QCoreApplication::exit(1);
  });
  watchdog.start(2000);
  EXPECT_EQ(application.Run(), 0);
  EXPECT_FALSE(loopRan);
}

TEST_F(ApplicationTest, RunLeavesTheMainWindowHiddenWhenTheFlagIsCleared) {
  QWidget window;
  application.SetMainForm(&window);
  application.SetShowMainForm(false);
  application.Terminate();
  EXPECT_EQ(application.Run(), 0);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(ApplicationTest, TheMainWindowReferenceClearsWhenTheWindowGoes) {
  auto window = std::make_unique<QWidget>();
  application.SetMainForm(window.get());
  window.reset();
  EXPECT_EQ(application.MainForm(), nullptr);
  application.Terminate();
  EXPECT_EQ(application.Run(), 0);
}

TEST_F(ApplicationTest, ClosingTheMainWindowEndsTheProgram) {
  QWidget window;
  application.SetMainForm(&window);
  QTimer::singleShot(0, &window, [&] { window.close(); });
  EXPECT_EQ(application.Run(), 0);
  EXPECT_TRUE(application.Terminated());
}

// A window that refuses to close.
class StubbornWindow : public QWidget {
 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

TEST_F(ApplicationTest, ClosingOtherWindowsOrARefusedCloseDoesNotEndIt) {
  StubbornWindow window;
  application.SetMainForm(&window);
  application.SetShowMainForm(false);
  QWidget box;  // as an error box shown while the main window is hidden
  int turns = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    ++turns;
    if (turns == 1) box.show();
    if (turns == 2) box.close();
    if (turns == 3) window.show();
    if (turns == 4) window.close();
    if (turns == 8) application.Terminate();
  });
  ticker.start(0);
  EXPECT_EQ(application.Run(), 0);
  EXPECT_GE(turns, 8);
  EXPECT_TRUE(window.isVisible());
}

TEST(Application, AQuitRequestDiesWithItsApplication) {
  {
    TApplication gone;
    gone.Terminate();
  }
  TApplication application;
  // Only this application's own request, made at the third turn, may end the loop.
  int turns = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (++turns == 3) application.Terminate();
  });
  ticker.start(0);
  EXPECT_EQ(application.Run(), 0);
  EXPECT_GE(turns, 3);
}

}  // namespace
}  // namespace horalux
