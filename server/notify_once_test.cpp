// Runs in a process of its own: it needs to see the first worker construction.
#include <gtest/gtest.h>

#include <array>
#include <latch>
#include <thread>

#include "server/notify_thread.h"
#include "server/thread_test_support.h"

namespace horalux {
namespace {

TEST(NotifyThreadOnce, TwoWorkersConstructedTogetherMakeExactlyOneNotificationThread) {
  ASSERT_EQ(TIdNotifyThread::Instance(), nullptr);
  // A sanitizer's runtime may start a helper thread with the first thread it sees.
  std::thread([] {}).join();
  const int before = testing::ThreadCount();

  std::latch start(2);
  std::array<TIdNotifyThread*, 2> seen{};
  auto construct = [&](int index) {
    start.arrive_and_wait();
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
