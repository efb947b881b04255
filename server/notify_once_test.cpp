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
  EXPECT_EQ(testing::ThreadCount(), before + 1);
}

}  // namespace
}  // namespace horalux
