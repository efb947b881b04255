// The single-instance guard within one process, each "program" with a recording toolkit:
// two guards of one title exclude each other here as two processes do (on Linux the locks
// belong to open files, on Windows this process's holders are kept apart). The titles are
// this run's own, so that no running Horalux is met.
#include "desktop/one_instance.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "desktop/toolkit_testing.h"
#include "platform/scoped_temp_dir.h"
#include "tests/support/scoped_env.h"

namespace horalux {
namespace {

using testing::RecordedBox;

const std::string kTitle =
    "Horalux " + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());

// One "program": an application with a main window and a guard.
struct Instance {
  explicit Instance(const std::string& title = kTitle) { application.SetTitle(title); }

  testing::RecordingToolkit toolkit;
  TApplication application{toolkit};
  TabfOneInstance guard{nullptr, application};
};

class OneInstanceTest : public ::testing::Test {
 protected:
  testing::ScopedTempDir runtime;
  testing::ScopedEnvVar runtimeDir{"XDG_RUNTIME_DIR", runtime.Path().c_str()};
};

TEST_F(OneInstanceTest, TheFirstRunsAndASecondOfTheSameTitleEndsQuietlyAndBringsItForward) {
  Instance first;
  EXPECT_TRUE(first.guard.ActivatePrevInstance);
  EXPECT_FALSE(first.guard.ShowMessage);
  EXPECT_EQ(first.guard.Message, "");
  first.guard.Loaded();
  EXPECT_FALSE(first.application.Terminated());
  EXPECT_TRUE(first.application.ShowMainForm());

  Instance second;
  second.guard.Loaded();
  EXPECT_TRUE(second.application.Terminated());
  EXPECT_FALSE(second.application.ShowMainForm());
  EXPECT_TRUE(second.toolkit.boxes.empty());
  EXPECT_EQ(first.toolkit.broughtToFront, 1);
  EXPECT_TRUE(first.toolkit.mainFormVisible);

  Instance third;
  third.guard.ActivatePrevInstance = false;
  third.guard.Loaded();
  EXPECT_TRUE(third.application.Terminated());
  EXPECT_EQ(first.toolkit.broughtToFront, 1);
}

TEST_F(OneInstanceTest, TheGuardIsFreeAgainWhenTheFirstGoesAndTitlesDoNotMeet) {
  auto first = std::make_unique<Instance>();
  EXPECT_FALSE(first->guard.AnotherInstanceRunning());
  EXPECT_FALSE(first->guard.AnotherInstanceRunning());  // asking again as the holder
  Instance other(kTitle + " Test");
  EXPECT_FALSE(other.guard.AnotherInstanceRunning());
  first.reset();
  Instance next;
  EXPECT_FALSE(next.guard.AnotherInstanceRunning());
}

TEST_F(OneInstanceTest, AnInstanceInTheMiddleOfItsCheckCountsAsRunning) {
  NamedMutex checking(kTitle + ".OneInstance.CriticalSection");
  ASSERT_EQ(checking.TryLock(), TLockResult::Acquired);
  Instance starting;
  EXPECT_TRUE(starting.guard.AnotherInstanceRunning());
  checking.Unlock();
  EXPECT_FALSE(starting.guard.AnotherInstanceRunning());
}

TEST_F(OneInstanceTest, ShowMessageTellsTheUserWithTheTitleOrTheGivenMessage) {
  Instance first;
  first.guard.Loaded();
  for (const std::string message : {"", "Horalux l\xe4uft schon."}) {
    Instance later;
    later.guard.ShowMessage = true;
    later.guard.Message = message;
    later.guard.Loaded();
    const std::string text =
        message.empty() ? "Application \"" + kTitle + "\" is already running." : message;
    EXPECT_EQ(later.toolkit.boxes,
              (std::vector<RecordedBox>{{TMessageIcon::Warning, kTitle, text}}));
    EXPECT_TRUE(later.application.Terminated());
  }
}

TEST_F(OneInstanceTest, OnShowMessageReplacesTheBoxAndMayLetTheSecondRun) {
  Instance first;
  first.guard.Loaded();
  int calls = 0;
  const auto letRun = [&](TComponent&, bool& Terminate) {
    EXPECT_TRUE(Terminate);
    Terminate = false;
    ++calls;
  };
  Instance second;
  second.guard.OnShowMessage = letRun;
  second.guard.Loaded();  // ShowMessage is false: the handler is not asked
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(second.application.Terminated());

  Instance third;
  third.guard.ShowMessage = true;
  third.guard.OnShowMessage = letRun;
  third.guard.Loaded();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(third.toolkit.boxes.empty());
  EXPECT_FALSE(third.application.Terminated());
  EXPECT_TRUE(third.application.ShowMainForm());  // put back
}

TEST_F(OneInstanceTest, WithoutAFirstToAnswerTheSecondStillEnds) {
  NamedMutex held(kTitle + ".OneInstance.Default");
  ASSERT_EQ(held.TryLock(), TLockResult::Acquired);  // a first instance that never listens
  Instance second;
  second.guard.Loaded();
  EXPECT_TRUE(second.application.Terminated());
}

}  // namespace
}  // namespace horalux
