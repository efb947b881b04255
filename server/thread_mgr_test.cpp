#include "server/thread_mgr.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "server/thread_test_support.h"
#include "stack/exceptions.h"

namespace horalux {
namespace {

using testing::Gate;
using testing::Probe;
using testing::ScriptedThread;
using ThreadMgrTest = testing::ThreadTest;
using namespace std::chrono_literals;

// Counts the manager's wait steps instead of sleeping them; `onPause` runs in each.
class CountingMgr : public TIdThreadMgrDefault {
 public:
  int pauses = 0;
  std::function<void(int)> onPause;

 protected:
  void Pause(std::chrono::milliseconds duration) override {
    EXPECT_EQ(duration, std::chrono::milliseconds(WaitStep));
    ++pauses;
    if (onPause) onPause(pauses);
  }
};

// Scripted threads that share one probe, so the test still sees them after they are gone.
class ScriptedKind : public TIdThreadKind {
 public:
  std::shared_ptr<Probe> probe = std::make_shared<Probe>();
  ScriptedThread::Script onPrepare;
  ScriptedThread::Script onStep;

  std::unique_ptr<TIdThread> Make() const override {
    auto thread = std::make_unique<ScriptedThread>(probe);
    thread->OnPrepare = onPrepare;
    thread->OnStep = onStep;
    return thread;
  }
};

std::size_t Listed(TIdThreadMgr& mgr) { return mgr.LiveThreads.Lock()->size(); }

TEST_F(ThreadMgrTest, WithoutAThreadKindNothingIsMadeOrListed) {
  TIdThreadMgrDefault mgr;
  EXPECT_EQ(mgr.PeerThreadKind, nullptr);
  try {
    mgr.AcquirePeerThread();
    FAIL() << "no thread kind, yet a thread was made";
  } catch (const EIdThreadClassNotSpecified& error) {
    EXPECT_EQ(error.Message(), "Thread Class Not Specified.");
  }
  EXPECT_EQ(Listed(mgr), 0u);
}

TEST_F(ThreadMgrTest, AcquiredThreadIsAParkedListedThreadOfTheKind) {
  TIdThreadMgrDefault mgr;
  mgr.PeerThreadKind = &ThreadKindOf<ScriptedThread>;
  TIdThread& thread = mgr.AcquirePeerThread();
  auto* scripted = dynamic_cast<ScriptedThread*>(&thread);
  ASSERT_NE(scripted, nullptr);
  const std::shared_ptr<Probe> probe = scripted->probe();
  EXPECT_TRUE(thread.Parked());
  EXPECT_EQ(*mgr.LiveThreads.Lock(), std::vector<TIdThread*>{&thread});

  mgr.LiveThreads.Add(&thread);
  EXPECT_EQ(Listed(mgr), 1u);

  mgr.ReturnPeerThread(thread);  // parked: destroyed without running
  EXPECT_EQ(Listed(mgr), 0u);
  EXPECT_EQ(probe->destructions.load(), 1);
  EXPECT_EQ(probe->prepares.load(), 0);
}

TEST_F(ThreadMgrTest, LaunchedThreadReturnedByAnotherThreadIsEndedJoinedAndDestroyed) {
  Gate running;
  ScriptedKind kind;
  kind.onStep = [&running](ScriptedThread&) {
    running.Open();
    std::this_thread::yield();
  };
  TIdThreadMgrDefault mgr;
  mgr.PeerThreadKind = &kind;
  TIdThread& thread = mgr.AcquirePeerThread();
  thread.Launch();
  ASSERT_TRUE(running.Wait());

  mgr.ReturnPeerThread(thread);
  EXPECT_EQ(Listed(mgr), 0u);
  EXPECT_EQ(kind.probe->destructions.load(), 1);
  EXPECT_EQ(kind.probe->finishes.load(), 1);
}

TEST_F(ThreadMgrTest, SelfReturnedThreadIsUnlistedAtOnceButDestroyedAfterItsBody) {
  Gate returned;
  Gate release;
  std::atomic<std::thread::id> ranOn{};
  TIdThreadMgrDefault mgr;
  ScriptedKind kind;
  kind.onStep = [&](ScriptedThread& self) {
    ranOn = std::this_thread::get_id();
    mgr.ReturnPeerThread(self);
    returned.Open();
    release.Wait();
    self.RequestStop();
  };
  mgr.PeerThreadKind = &kind;
  mgr.AcquirePeerThread().Launch();

  ASSERT_TRUE(returned.Wait());
  EXPECT_EQ(Listed(mgr), 0u);
  EXPECT_EQ(kind.probe->destructions.load(), 0);
  release.Open();
  EXPECT_TRUE(AwaitThreadsEnded(10s));
  EXPECT_EQ(kind.probe->destructions.load(), 1);
  EXPECT_EQ(kind.probe->destroyedOn.load(), ranOn.load());
  EXPECT_EQ(kind.probe->finishes.load(), 1);
}

// The peer's case of a failing PrepareLoop: the thread hands itself back before the
// error goes on, so it is unlisted and destroyed once.
TEST_F(ThreadMgrTest, ThreadWhosePrepareFailsCanStillLeaveAndBeDestroyedOnce) {
  CountingMgr mgr;
  ScriptedKind kind;
  kind.onPrepare = [&mgr](ScriptedThread& self) {
    try {
      throw EIdTCPServerError("");
    } catch (...) {
      mgr.ReturnPeerThread(self);
      throw;
    }
  };
  mgr.PeerThreadKind = &kind;
  mgr.AcquirePeerThread().Launch();

  EXPECT_TRUE(AwaitThreadsEnded(10s));
  EXPECT_NO_THROW(mgr.AwaitNoLiveThreads(5000));
  EXPECT_EQ(kind.probe->destructions.load(), 1);
  EXPECT_EQ(kind.probe->steps.load(), 0);
  EXPECT_EQ(kind.probe->finishes.load(), 0);
}

TEST_F(ThreadMgrTest, AwaitOnAnEmptyListReturnsAfterOneStep) {
  CountingMgr mgr;
  mgr.AwaitNoLiveThreads(5000);
  EXPECT_EQ(mgr.pauses, 1);
}

TEST_F(ThreadMgrTest, AwaitBelowOneStepRaisesAtOnceWhateverTheList) {
  CountingMgr mgr;
  try {
    mgr.AwaitNoLiveThreads(100);
    FAIL() << "no pass, yet no time-out";
  } catch (const EIdTerminateThreadTimeout& error) {
    EXPECT_EQ(error.Message(), "Terminate Thread Timeout");
  }
  EXPECT_EQ(mgr.pauses, 0);
}

TEST_F(ThreadMgrTest, AwaitWithAThreadThatNeverLeavesRaisesAfterEveryPass) {
  CountingMgr mgr;
  mgr.PeerThreadKind = &ThreadKindOf<ScriptedThread>;
  TIdThread& stays = mgr.AcquirePeerThread();
  EXPECT_THROW(mgr.AwaitNoLiveThreads(5000), EIdTerminateThreadTimeout);
  EXPECT_EQ(mgr.pauses, 20);
  EXPECT_EQ(Listed(mgr), 1u);  // the manager ends no thread itself
  mgr.ReturnPeerThread(stays);
}

TEST_F(ThreadMgrTest, AwaitLooksAfterEachStep) {
  CountingMgr mgr;
  mgr.PeerThreadKind = &ThreadKindOf<ScriptedThread>;
  TIdThread& leaves = mgr.AcquirePeerThread();
  mgr.onPause = [&](int pass) {
    if (pass == 3) mgr.ReturnPeerThread(leaves);
  };
  mgr.AwaitNoLiveThreads(5000);
  EXPECT_EQ(mgr.pauses, 3);
}

TEST_F(ThreadMgrTest, AwaitSleepsOneStepBeforeItsFirstLook) {
  TIdThreadMgrDefault mgr;
  const auto start = std::chrono::steady_clock::now();
  mgr.AwaitNoLiveThreads(5000);
  EXPECT_GE(std::chrono::steady_clock::now() - start,
            std::chrono::milliseconds(TIdThreadMgr::WaitStep));
}

TEST_F(ThreadMgrTest, ListenersAndSelfReturningPeersMeetOnlyInTheList) {
  constexpr int kPerListener = 25;
  TIdThreadMgrDefault mgr;
  ScriptedKind kind;
  kind.onStep = [&mgr](ScriptedThread& self) {
    mgr.ReturnPeerThread(self);
    self.RequestStop();
  };
  mgr.PeerThreadKind = &kind;
  auto listen = [&mgr] {
    for (int i = 0; i < kPerListener; ++i) mgr.AcquirePeerThread().Launch();
  };
  std::thread first(listen);
  std::thread second(listen);
  first.join();
  second.join();

  mgr.AwaitNoLiveThreads(10000);
  EXPECT_TRUE(AwaitThreadsEnded(10s));
  EXPECT_EQ(kind.probe->destructions.load(), 2 * kPerListener);
  EXPECT_EQ(kind.probe->finishes.load(), 2 * kPerListener);
}

}  // namespace
}  // namespace horalux
