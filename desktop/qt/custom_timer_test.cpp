#include "desktop/qt/custom_timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <stdexcept>
#include <thread>
#include <vector>

namespace horalux {
namespace {

class CustomTimerTest : public ::testing::Test {
 protected:
  CustomTimerTest() {
    application.SetTitle(QStringLiteral("Timer"));
    application.SetMessagePresenter(
        [this](QMessageBox::Icon, const QString&, const QString& text) { boxes.push_back(text); });
  }

  // Lets the loop run a few turns, for checks that something did not happen.
  static void RunPendingTurns() {
    for (int turn = 0; turn < 5; ++turn) QCoreApplication::processEvents();
  }

  TApplication application;
  std::vector<QString> boxes;
};

TEST_F(CustomTimerTest, TicksOnlyWhileEnabledWithAnIntervalAndAHandler) {
  TabfCustomTimer timer(nullptr, application);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000U);

  int ticks = 0;
  timer.SetInterval(1);
  timer.SetOnTimer([&](TComponent& sender) {
    EXPECT_EQ(&sender, &timer);
    ++ticks;
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));

  timer.SetEnabled(false);
  ticks = 0;
  RunPendingTurns();
  EXPECT_EQ(ticks, 0);

  timer.SetEnabled(true);
  timer.SetInterval(0);
  RunPendingTurns();
  EXPECT_EQ(ticks, 0);

  timer.SetInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 1; }, 5000));
}

TEST_F(CustomTimerTest, AFailingTickGoesToTheErrorBoxAndTheTimerGoesOn) {
  TabfCustomTimer timer(nullptr, application);
  int ticks = 0;
  timer.SetInterval(1);
  timer.SetOnTimer([&](TComponent&) {
    if (++ticks == 1) throw std::runtime_error("tick failed");
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0], "tick failed.");
}

// A thread without a Qt event loop has no timers to give.
TEST_F(CustomTimerTest, ReportsWhenNoTimerCanBeHad) {
  std::string failure;
  bool enabledKept = false;
  std::thread worker([&] {
    TabfCustomTimer timer(nullptr, application);
    timer.SetEnabled(false);
    timer.SetOnTimer([](TComponent&) {});
    try {
      timer.SetEnabled(true);
    } catch (const EOutOfResources& error) {
      failure = error.what();
    }
    enabledKept = timer.Enabled();
  });
  worker.join();
  EXPECT_EQ(failure, "Nicht genügend Timer verfügbar");
  EXPECT_TRUE(enabledKept);
}

}  // namespace
}  // namespace horalux
