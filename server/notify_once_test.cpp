// Runs in a process of its own: it needs to see the first worker construction.
#include <gtest/gtest.h>

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "server/notify_thread.h"
#include "server/thread_test_support.h"

namespace horalux {
namespace {

// Lets threads on once `count` of them arrived. Not std::latch: the C++ library of the
// Windows build (GCC 12) can miss the wake-up of its waits (GCC bug 106183), which left one
// thread waiting here for good, about one run in fifty.
class StartGate {
 public:
  explicit StartGate(int count) : waiting_(count) {}
  void ArriveAndWait() {
    std::unique_lock lock(mutex_);
    if (--waiting_ == 0) {
      allArrived_.notify_all();
      return;
    }
    allArrived_.wait(lock, [this] { return waiting_ == 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable allArrived_;
  int waiting_;
};

TEST(NotifyThreadOnce, TwoWorkersConstructedTogetherMakeExactlyOneNotificationThread) {
  ASSERT_EQ(TIdNotifyThread::Instance(), nullptr);
  // A sanitizer's runtime may start a helper thread with the first thread it sees.
  std::thread([] {}).join();
  const int before = testing::ThreadCount();

  StartGate start(2);
  std::array<TIdNotifyThread*, 2> seen{};
  auto construct = [&](int index) {
    start.ArriveAndWait();
    testing::ScriptedThread worker;
    seen[index] = TIdNotifyThread::Instance();
  };
  std::thread first(construct, 0);
  std::thread second(construct, 1);
  first.join();
  second.join();

  ASSERT_NE(seen[0], nullptr);
  EXPECT_EQ(seen[0], seen[1]);
  // The two constructing threads may linger in the count for a moment after their join.
  EXPECT_TRUE(testing::Eventually([before] { return testing::ThreadCount() == before + 1; }))
      << testing::ThreadCount() << " threads, " << before << " before";
}

}  // namespace
}  // namespace horalux
