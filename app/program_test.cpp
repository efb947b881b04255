// The hooks that tie the network core to a toolkit's loop, against a recording toolkit:
// the same for every toolkit.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "app/program.h"
#include "desktop/toolkit_testing.h"
#include "net/anti_freeze.h"
#include "server/main_thread_queue.h"

namespace horalux {
namespace {

using testing::RecordedBox;

class LoopHooksTest : public ::testing::Test {
 protected:
  LoopHooksTest() { application.SetTitle("Horalux"); }

  testing::RecordingToolkit toolkit;
  TApplication application{toolkit};
};

// Both kinds of idle step reach the toolkit; once the hooks are gone, neither does.
TEST_F(LoopHooksTest, IdleStepsHandleTheToolkitsMessagesOnlyWhileTheHooksLive) {
  TIdAntiFreeze antiFreeze;
  int oneRan = 0;
  {
    const TLoopHooks hooks(application);
    TIdAntiFreezeBase::RunIdleStep(true, true);
    EXPECT_EQ(toolkit.messagesProcessed, 1);
    antiFreeze.ApplicationHasPriority = false;
    toolkit.Post([&] { ++oneRan; });
    toolkit.Post([&] { ++oneRan; });
    TIdAntiFreezeBase::RunIdleStep(true, true);
    EXPECT_EQ(oneRan, 1);
  }
  TIdAntiFreezeBase::RunIdleStep(true, true);
  antiFreeze.ApplicationHasPriority = true;
  TIdAntiFreezeBase::RunIdleStep(true, true);
  EXPECT_EQ(oneRan, 1);
  EXPECT_EQ(toolkit.messagesProcessed, 1);
}

// A hand-off that fails shows the error box and leaves the loop running, and the work
// queued behind it still runs: nothing crosses the toolkit's loop.
TEST_F(LoopHooksTest, WorkHandedToTheMainThreadRunsFromTheLoopUnderTheGuard) {
  const TLoopHooks hooks(application);
  std::vector<int> ran;
  std::thread server([&] {
    PostToMainThread([&] {
      ran.push_back(1);
      throw std::runtime_error("Broken");
    });
    PostToMainThread([&] { ran.push_back(2); });
  });
  server.join();
  EXPECT_TRUE(ran.empty());  // only from the loop
  toolkit.RunPosted();
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  EXPECT_EQ(toolkit.boxes, (std::vector<RecordedBox>{{TMessageIcon::Error, "Horalux", "Broken."}}));
}

}  // namespace
}  // namespace horalux
