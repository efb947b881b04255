// The timer base against a recording toolkit.
#include "desktop/custom_timer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "desktop/toolkit_testing.h"
#include "platform/code_page.h"

namespace horalux {
namespace {

class CustomTimerTest : public ::testing::Test {
 protected:
  testing::RecordingWindow& Window() { return toolkit.LastWindow(); }

  testing::RecordingToolkit toolkit;
  TApplication application{toolkit};
  TabfCustomTimer timer{nullptr, application};
};

TEST_F(CustomTimerTest, RunsOnlyWhileEnabledWithAnIntervalAndAHandler) {
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000U);
  EXPECT_EQ(Window().timerInterval, 0U);  // no handler yet
  int ticks = 0;
  timer.SetOnTimer([&](TComponent& sender) {
    EXPECT_EQ(&sender, &timer);
    ++ticks;
  });
  EXPECT_EQ(Window().timerInterval, 1000U);
  Window().Tick();
  EXPECT_EQ(ticks, 1);
  timer.SetEnabled(false);
  EXPECT_EQ(Window().timerInterval, 0U);
  timer.SetEnabled(true);
  timer.SetInterval(0);
  EXPECT_EQ(Window().timerInterval, 0U);
  timer.SetInterval(60000);
  EXPECT_EQ(Window().timerInterval, 60000U);
}

TEST_F(CustomTimerTest, AFailingTickGoesToTheErrorBoxAndTheTimerGoesOn) {
  timer.SetOnTimer([](TComponent&) { throw std::runtime_error("tick failed"); });
  Window().Tick();
  ASSERT_EQ(toolkit.boxes.size(), 1U);
  EXPECT_EQ(toolkit.boxes[0].text, "tick failed.");
  EXPECT_EQ(Window().timerInterval, 1000U);
}

TEST_F(CustomTimerTest, ARefusedTimerRaisesOutOfResourcesAndKeepsTheValue) {
  Window().refuseTimers = true;
  try {
    timer.SetOnTimer([](TComponent&) {});
    FAIL() << "no failure";
  } catch (const EOutOfResources& error) {
    EXPECT_EQ(DecodeCodePage(error.what()), u"Nicht gen\u00fcgend Timer verf\u00fcgbar");
  }
  EXPECT_TRUE(timer.OnTimer());
}

}  // namespace
}  // namespace horalux
