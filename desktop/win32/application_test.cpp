// The message loop's hand-overs: work posted from other threads, delayed work, the quit
// request, and the error box.
#include "desktop/win32/application.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace horalux {
namespace {

TEST(ApplicationTest, PostedWorkRunsOnTheMainThreadInOrderAndDelayedWorkAfterItsDelay) {
  TApplication application;
  std::vector<int> ran;
  std::vector<std::thread::id> threads;
  std::thread poster([&] {
    for (int i = 0; i < 50; ++i) {
      application.Post([&, i] {
        ran.push_back(i);
        threads.push_back(std::this_thread::get_id());
      });
    }
  });
  poster.join();
  const DWORD start = ::GetTickCount();
  DWORD delayedAt = 0;
  application.After(std::chrono::milliseconds(100), [&] {
    delayedAt = ::GetTickCount();
    application.Terminate();
  });
  application.Run();
  ASSERT_EQ(ran.size(), 50U);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(ran[static_cast<std::size_t>(i)], i);
  for (const auto id : threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_GE(delayedAt - start, 90U);  // the system's timers may come a tick early
}

TEST(ApplicationTest, AQuitRequestBeforeTheLoopEndsItAtItsFirstTurn) {
  TApplication application;
  int told = 0;
  application.OnTerminate = [&] { ++told; };
  bool ran = false;
  application.Post([&] { ran = true; });
  application.Terminate();
  EXPECT_EQ(application.Run(), 0);
  EXPECT_EQ(told, 1);
  EXPECT_TRUE(application.Terminated());
}

TEST(ApplicationTest, AnIdleStepThatMeetsTheQuitRequestEndsTheLoopToo) {
  TApplication application;
  bool reachedAfterQuit = false;
  application.Post([&] {
    ::PostQuitMessage(0);
    application.ProcessMessages();  // as a run's idle step would
    reachedAfterQuit = true;
  });
  application.Run();
  EXPECT_TRUE(reachedAfterQuit);
  EXPECT_TRUE(application.Terminated());
}

TEST(ApplicationTest, FailuresGoToTheErrorBoxWithItsFullStop) {
  TApplication application;
  application.SetTitle("Horalux");
  std::vector<std::string> shown;
  application.SetMessagePresenter(
      [&](TMessageIcon icon, const std::string& caption, const std::string& text) {
        EXPECT_EQ(icon, TMessageIcon::Error);
        shown.push_back(caption + ": " + text);
      });
  EXPECT_FALSE(application.Guard([] { throw std::runtime_error("Socket Error # 10061"); }));
  EXPECT_FALSE(application.Guard([] { throw std::runtime_error("Already stopped."); }));
  EXPECT_FALSE(application.Guard([] { throw 42; }));  // stopped, and nothing to show
  EXPECT_TRUE(application.Guard([] {}));
  EXPECT_EQ(shown, (std::vector<std::string>{"Horalux: Socket Error # 10061.",
                                             "Horalux: Already stopped."}));
}

}  // namespace
}  // namespace horalux
