// The single-instance guard within one process: two guards of the same title exclude each
// other here as two processes do (the locks belong to open files, not to processes).
#include "desktop/qt/one_instance.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <vector>

#include "desktop/qt/shown_boxes_testing.h"

#include "desktop/qt/runtime_dir_testing.h"

namespace horalux {
namespace {

using testing::RecordMessageBoxes;
using testing::ShownBox;

// One "program": an application with a main window and a guard.
struct Instance {
  explicit Instance(const QString& title) {
    application.SetTitle(title);
    application.SetMainForm(&window);
    RecordMessageBoxes(application, boxes);
  }

  TApplication application;
  QWidget window;
  TabfOneInstance guard{nullptr, application};
  std::vector<ShownBox> boxes;
};

class OneInstanceTest : public ::testing::Test {
 protected:
  testing::ScopedRuntimeDir runtime;
};

TEST_F(OneInstanceTest, HasTheDeclaredDefaults) {
  Instance first(QStringLiteral("Horalux"));
  EXPECT_TRUE(first.guard.ActivatePrevInstance);
  EXPECT_TRUE(first.guard.Message.isEmpty());
  EXPECT_FALSE(first.guard.ShowMessage);
  EXPECT_FALSE(first.guard.OnShowMessage);
}

TEST_F(OneInstanceTest, TheFirstRunsAndASecondOfTheSameTitleEndsQuietly) {
  Instance first(QStringLiteral("Horalux"));
  first.guard.Loaded();
  EXPECT_FALSE(first.application.Terminated());
  EXPECT_TRUE(first.application.ShowMainForm());

  Instance second(QStringLiteral("Horalux"));
  second.guard.ActivatePrevInstance = false;
  second.guard.Loaded();
  EXPECT_TRUE(second.application.Terminated());
  EXPECT_FALSE(second.application.ShowMainForm());
  EXPECT_TRUE(second.boxes.empty());
  EXPECT_FALSE(first.window.isVisible());
}

TEST_F(OneInstanceTest, TheGuardIsFreeAgainWhenTheFirstGoes) {
  auto first = std::make_unique<Instance>(QStringLiteral("Horalux"));
  EXPECT_FALSE(first->guard.AnotherInstanceRunning());
  EXPECT_FALSE(first->guard.AnotherInstanceRunning());  // asking again as the holder
  first.reset();
  Instance next(QStringLiteral("Horalux"));
  EXPECT_FALSE(next.guard.AnotherInstanceRunning());
}

TEST_F(OneInstanceTest, DifferentTitlesDoNotSeeEachOther) {
  Instance one(QStringLiteral("Horalux"));
  Instance other(QStringLiteral("Horalux Test"));
  EXPECT_FALSE(one.guard.AnotherInstanceRunning());
  EXPECT_FALSE(other.guard.AnotherInstanceRunning());
}

TEST_F(OneInstanceTest, AnInstanceInTheMiddleOfItsCheckCountsAsRunning) {
  NamedMutex checking("Horalux.OneInstance.CriticalSection");
  ASSERT_EQ(checking.TryLock(), TLockResult::Acquired);
  Instance starting(QStringLiteral("Horalux"));
  EXPECT_TRUE(starting.guard.AnotherInstanceRunning());
  checking.Unlock();
  EXPECT_FALSE(starting.guard.AnotherInstanceRunning());
}

TEST_F(OneInstanceTest, ShowMessageTellsTheUserWithTheTitleOrTheGivenMessage) {
  Instance first(QStringLiteral("Horalux"));
  first.guard.Loaded();

  Instance second(QStringLiteral("Horalux"));
  second.guard.ActivatePrevInstance = false;
  second.guard.ShowMessage = true;
  second.guard.Loaded();
  ASSERT_EQ(second.boxes.size(), 1U);
  EXPECT_EQ(second.boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(second.boxes[0].caption, "Horalux");
  EXPECT_EQ(second.boxes[0].text, "Application \"Horalux\" is already running.");
  EXPECT_TRUE(second.application.Terminated());

  Instance third(QStringLiteral("Horalux"));
  third.guard.ActivatePrevInstance = false;
  third.guard.ShowMessage = true;
  third.guard.Message = QStringLiteral("Horalux läuft schon.");
  third.guard.Loaded();
  ASSERT_EQ(third.boxes.size(), 1U);
  EXPECT_EQ(third.boxes[0].text, "Horalux läuft schon.");
}

TEST_F(OneInstanceTest, OnShowMessageReplacesTheBoxAndMayLetTheSecondRun) {
  Instance first(QStringLiteral("Horalux"));
  first.guard.Loaded();

  Instance second(QStringLiteral("Horalux"));
  second.guard.ActivatePrevInstance = false;
  int calls = 0;
  TComponent* asking = nullptr;
  second.guard.OnShowMessage = [&](TComponent& sender, bool& Terminate) {
    asking = &sender;
    EXPECT_TRUE(Terminate);
    Terminate = false;
    ++calls;
  };
  second.guard.Loaded();  // ShowMessage is false: the handler is not asked
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(second.application.Terminated());

  Instance third(QStringLiteral("Horalux"));
  third.guard.ActivatePrevInstance = false;
  third.guard.ShowMessage = true;
  third.guard.OnShowMessage = second.guard.OnShowMessage;
  third.application.SetShowMainForm(true);
  third.guard.Loaded();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(asking, &third.guard);
  EXPECT_TRUE(third.boxes.empty());
  EXPECT_FALSE(third.application.Terminated());
  EXPECT_TRUE(third.application.ShowMainForm());  // put back
}

TEST_F(OneInstanceTest, ASecondBringsTheFirstsMainWindowForward) {
  Instance first(QStringLiteral("Horalux"));
  first.guard.Loaded();
  {
    Instance second(QStringLiteral("Horalux"));
    second.guard.Loaded();
    EXPECT_TRUE(second.application.Terminated());
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return first.window.isVisible(); }, 5000));

  first.window.showMinimized();
  {
    Instance second(QStringLiteral("Horalux"));
    second.guard.Loaded();
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return !first.window.isMinimized(); }, 5000));
  EXPECT_TRUE(first.window.isVisible());
}

TEST_F(OneInstanceTest, WithoutAFirstToAnswerTheSecondStillEnds) {
  NamedMutex held("Horalux.OneInstance.Default");
  ASSERT_EQ(held.TryLock(), TLockResult::Acquired);  // a first instance that never listens
  Instance second(QStringLiteral("Horalux"));
  second.guard.Loaded();
  EXPECT_TRUE(second.application.Terminated());
}

}  // namespace
}  // namespace horalux
