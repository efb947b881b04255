#include "server/main_thread_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "base/main_thread.h"
#include "server/thread_test_support.h"
#include "stack/exceptions.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

class MainThreadQueueTest : public ::testing::Test {
 protected:
  ~MainThreadQueueTest() override {
    InstallMainThreadWakeup({});
    DrainMainThreadQueue();
  }

  // Runs `work` on another thread while the main thread serves the queue.
  void OnAnotherThread(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread other([&] {
      work();
      done = true;
      WakeMainThreadWaiters();
    });
    EXPECT_TRUE(ServeMainThreadUntil([&done] { return done.load(); }, 10s));
    other.join();
  }
};

TEST_F(MainThreadQueueTest, OnTheMainThreadWorkRunsAtOnce) {
  bool ran = false;
  RunOnMainThread([&ran] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_THROW(RunOnMainThread([] { throw EIdException("at once"); }), EIdException);
}

TEST_F(MainThreadQueueTest, AnotherThreadWaitsUntilTheMainThreadRanItsWork) {
  int value = 0;  // written on the main thread, read by the caller after the hand-off
  int seen = 0;
  bool onMain = false;
  OnAnotherThread([&] {
    RunOnMainThread([&] {
      onMain = IsMainThread();
      value = 42;
    });
    seen = value;
  });
  EXPECT_TRUE(onMain);
  EXPECT_EQ(seen, 42);
}

TEST_F(MainThreadQueueTest, ErrorRaisedOnTheMainThreadReachesTheCallerWithItsClass) {
  int code = 0;
  std::string message;
  OnAnotherThread([&] {
    try {
      RunOnMainThread([] { throw EIdSocketError(10054, "reset"); });
    } catch (const EIdSocketError& error) {
      code = error.errorCode();
      message = error.Message();
    }
  });
  EXPECT_EQ(code, 10054);
  EXPECT_EQ(message, "reset");
}

TEST_F(MainThreadQueueTest, PostingNeverWaitsForTheMainThread) {
  std::vector<int> order;  // touched only by posted work, on the main thread
  std::thread poster([&order] {
    for (int i = 0; i < 100; ++i) PostToMainThread([&order, i] { order.push_back(i); });
  });
  poster.join();  // returns although the main thread ran nothing meanwhile
  EXPECT_TRUE(order.empty());

  DrainMainThreadQueue();
  std::vector<int> expected(100);
  std::iota(expected.begin(), expected.end(), 0);
  EXPECT_EQ(order, expected);
}

TEST_F(MainThreadQueueTest, PostingOnTheMainThreadRunsAtTheNextDrain) {
  bool ran = false;
  PostToMainThread([&ran] { ran = true; });
  EXPECT_FALSE(ran);
  DrainMainThreadQueue();
  EXPECT_TRUE(ran);
}

TEST_F(MainThreadQueueTest, WakeupIsCalledForEveryQueuedEntry) {
  std::atomic<int> wakes{0};
  testing::Gate woken;
  InstallMainThreadWakeup([&] {
    ++wakes;
    woken.Open();
  });
  PostToMainThread([] {});
  EXPECT_EQ(wakes.load(), 1);
  DrainMainThreadQueue();

  // The loop's part: drain when woken, as a queued call would.
  bool ran = false;
  std::thread caller([&ran] { RunOnMainThread([&ran] { ran = true; }); });
  ASSERT_TRUE(woken.Wait());
  ASSERT_TRUE(testing::Eventually([&] {
    DrainMainThreadQueue();
    return ran;
  }));
  caller.join();
  EXPECT_EQ(wakes.load(), 2);
}

TEST_F(MainThreadQueueTest, FailingPostedWorkLeavesTheRestQueuedAndWakesAgain) {
  std::atomic<int> wakes{0};
  InstallMainThreadWakeup([&wakes] { ++wakes; });
  bool secondRan = false;
  PostToMainThread([] { throw EIdException("posted failure"); });
  PostToMainThread([&secondRan] { secondRan = true; });
  ASSERT_EQ(wakes.load(), 2);

  EXPECT_THROW(DrainMainThreadQueue(), EIdException);
  EXPECT_FALSE(secondRan);
  EXPECT_EQ(wakes.load(), 3);
  DrainMainThreadQueue();
  EXPECT_TRUE(secondRan);
}

TEST_F(MainThreadQueueTest, DrainingOffTheMainThreadRunsNothing) {
  bool ran = false;
  PostToMainThread([&ran] { ran = true; });
  std::thread(DrainMainThreadQueue).join();
  EXPECT_FALSE(ran);
  DrainMainThreadQueue();
  EXPECT_TRUE(ran);
}

TEST_F(MainThreadQueueTest, ServingRaisesPostedErrorsOnlyAfterTheWait) {
  bool laterRan = false;
  PostToMainThread([] { throw EIdException("posted failure"); });
  PostToMainThread([&laterRan] { laterRan = true; });
  EXPECT_THROW(ServeMainThreadUntil([] { return true; }), EIdException);
  EXPECT_TRUE(laterRan);
}

TEST_F(MainThreadQueueTest, ServingGivesUpAfterItsTimeout) {
  EXPECT_FALSE(ServeMainThreadUntil([] { return false; }, 20ms));
}

}  // namespace
}  // namespace horalux
