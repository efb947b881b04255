// The application object against a recording toolkit: the error box, the quit request,
// the show flag, work for the main thread, the trace of its boxes.
#include "desktop/application.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "desktop/toolkit_testing.h"
#include "tests/support/scoped_env.h"

namespace horalux {
namespace {

using testing::RecordedBox;

class ApplicationTest : public ::testing::Test {
 protected:
  ApplicationTest() { application.SetTitle("Horalux"); }

  testing::RecordingToolkit toolkit;
  TApplication application{toolkit};
};

// Whatever escapes a handler ends in the error box: the title as caption, the message
// with its full stop; also what is no std::exception. Nothing passes the guard.
TEST_F(ApplicationTest, GuardTurnsAnythingThatEscapesIntoTheErrorBox) {
  EXPECT_TRUE(application.Guard([] {}));
  EXPECT_FALSE(application.Guard([] { throw std::runtime_error("Socket Error # 10013"); }));
  EXPECT_FALSE(application.Guard([] { throw std::runtime_error("Disconnected."); }));
  EXPECT_FALSE(application.Guard([] { throw 42; }));
  EXPECT_EQ(toolkit.boxes,
            (std::vector<RecordedBox>{{TMessageIcon::Error, "Horalux", "Socket Error # 10013."},
                                      {TMessageIcon::Error, "Horalux", "Disconnected."},
                                      {TMessageIcon::Error, "Horalux", "Unknown exception."}}));
}

// The quit request is made also when OnTerminate fails, and OnTerminate sees it made.
TEST_F(ApplicationTest, TerminateSetsTheFlagRunsOnTerminateThenAsksTheLoopToEnd) {
  bool seenTerminated = false;
  application.OnTerminate = [&] {
    seenTerminated = application.Terminated();
    throw std::runtime_error("failed");
  };
  application.Terminate();
  EXPECT_TRUE(seenTerminated);
  EXPECT_EQ(toolkit.quitsPosted, 1);
  EXPECT_EQ(toolkit.boxes.size(), 1u);
}

TEST_F(ApplicationTest, RunShowsTheMainWindowByTheFlagAndEndsAtOnceAfterAQuit) {
  EXPECT_TRUE(application.ShowMainForm());
  EXPECT_EQ(application.Run(), 0);
  EXPECT_TRUE(toolkit.mainFormVisible);
  EXPECT_EQ(toolkit.loopsRun, 1);

  testing::RecordingToolkit hidden;
  TApplication second(hidden);
  second.SetShowMainForm(false);
  second.Terminate();  // before the loop, as a second instance's guard asks
  EXPECT_EQ(second.Run(), 0);
  EXPECT_FALSE(hidden.mainFormVisible);
  EXPECT_EQ(hidden.loopsRun, 0);
}

TEST_F(ApplicationTest, PostedWorkRunsInOrderUnderTheGuard) {
  std::vector<int> ran;
  application.Post([&] { ran.push_back(1); });
  application.Post([] { throw std::runtime_error("posted"); });
  application.After(std::chrono::milliseconds(50), [&] { ran.push_back(3); });
  toolkit.RunPosted();
  EXPECT_EQ(ran, (std::vector<int>{1, 3}));
  ASSERT_EQ(toolkit.boxes.size(), 1u);
  EXPECT_EQ(toolkit.boxes[0].text, "posted.");
}

// One event, one line, whatever the text holds; nothing unless asked for. The box is
// shown either way.
TEST_F(ApplicationTest, BoxesAreTracedOnOneLineOnlyWhenTheEnvironmentAsks) {
  {
    const testing::ScopedEnvVar off("HORALUX_UI_TRACE", nullptr);
    ::testing::internal::CaptureStderr();
    application.ShowMessageBox(TMessageIcon::Warning, "Warnung", "silent");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  }
  const testing::ScopedEnvVar on("HORALUX_UI_TRACE", "1");
  ::testing::internal::CaptureStderr();
  application.ShowMessageBox(TMessageIcon::Warning, "Warnung", "Say \"a\\b\".\r\n\tagain\x1b");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "horalux.ui: message box \"Warnung\" "
            "\"Say \\\"a\\\\b\\\".\\r\\n\\tagain\\x1b\"\n");
  EXPECT_EQ(toolkit.boxes.size(), 2u);
}

}  // namespace
}  // namespace horalux
