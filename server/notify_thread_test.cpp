#include "server/notify_thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "base/main_thread.h"
#include "server/main_thread_queue.h"
#include "server/thread_test_support.h"
#include "stack/exceptions.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using NotifyThreadTest = testing::ThreadTest;

TEST_F(NotifyThreadTest, ExistsOnceAfterTheFirstWorker) {
  testing::ScriptedThread worker;
  TIdNotifyThread* notify = TIdNotifyThread::Instance();
  ASSERT_NE(notify, nullptr);
  TIdNotifyThread::CreateOnce();
  EXPECT_EQ(TIdNotifyThread::Instance(), notify);
  EXPECT_FALSE(notify->Parked());
  EXPECT_FALSE(notify->BodyEnded());
}

TEST_F(NotifyThreadTest, QueuedNotificationsRunOnTheMainThreadEvenAfterAFailure) {
  TIdNotifyThread& notify = *TIdNotifyThread::Instance();
  std::atomic<bool> ran{false};
  std::atomic<bool> onMain{false};
  notify.Queue([] { throw EIdException("failing notification"); });
  notify.Queue([&] {
    onMain = IsMainThread();
    ran = true;
  });
  EXPECT_TRUE(ServeMainThreadUntil([&ran] { return ran.load(); }, 10s));
  EXPECT_TRUE(onMain);
}

TEST_F(NotifyThreadTest, QueueIsNotLockedWhileAnEntryWaitsForTheMainThread) {
  TIdNotifyThread& notify = *TIdNotifyThread::Instance();
  std::atomic<bool> ran{false};
  notify.Queue([&ran] { ran = true; });
  // The entry leaves the queue and waits for the main thread, which can then take the
  // queue's lock, as the server's shutdown does.
  EXPECT_TRUE(testing::Eventually([&notify] { return notify.NotificationQueue.Lock()->empty(); }));
  {
    auto queue = notify.NotificationQueue.Lock();
    EXPECT_FALSE(ran);
  }
  EXPECT_TRUE(ServeMainThreadUntil([&ran] { return ran.load(); }, 10s));
}

}  // namespace
}  // namespace horalux
