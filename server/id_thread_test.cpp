#include "server/id_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "base/main_thread.h"
#include "server/main_thread_queue.h"
#include "server/thread_test_support.h"
#include "stack/exceptions.h"

namespace horalux {
namespace {

using testing::Gate;
using testing::Probe;
using testing::ScriptedThread;
using WorkerTest = testing::ThreadTest;
using namespace std::chrono_literals;

void ExpectCycle(const Probe& probe, int prepares, int steps, int finishes) {
  EXPECT_EQ(probe.prepares.load(), prepares);
  EXPECT_EQ(probe.steps.load(), steps);
  EXPECT_EQ(probe.finishes.load(), finishes);
}

TEST_F(WorkerTest, ParkedWorkerDestroyedWithoutLaunchRunsNothing) {
  auto probe = std::make_shared<Probe>();
  {
    ScriptedThread worker(probe);
    EXPECT_TRUE(worker.Parked());
    EXPECT_TRUE(worker.IsHalted());
    EXPECT_FALSE(worker.EndRequested());
    EXPECT_EQ(worker.ThreadID(), std::thread::id());
    EXPECT_EQ(testing::ThreadCount(), baseline_);
  }
  ExpectCycle(*probe, 0, 0, 0);
  EXPECT_EQ(probe->destructions.load(), 1);
}

TEST_F(WorkerTest, RequestStopOnAParkedWorkerDoesNothing) {
  ScriptedThread worker;
  worker.RequestStop();
  EXPECT_FALSE(worker.EndRequested());
  EXPECT_TRUE(worker.Parked());

  worker.Launch();
  worker.Join();
  ExpectCycle(*worker.probe(), 1, 1, 1);
}

TEST_F(WorkerTest, LaunchOnARunningWorkerDoesNothing) {
  Gate inStep;
  Gate release;
  ScriptedThread worker;
  worker.OnStep = [&](ScriptedThread& self) {
    inStep.Open();
    release.Wait();
    self.RequestStop();
  };
  worker.Launch();
  ASSERT_TRUE(inStep.Wait());
  const std::thread::id id = worker.ThreadID();
  EXPECT_NE(id, std::thread::id());
  EXPECT_FALSE(worker.IsHalted());

  worker.Launch();
  EXPECT_EQ(worker.ThreadID(), id);
  EXPECT_FALSE(worker.IsHalted());
  EXPECT_EQ(testing::ThreadCount(), baseline_ + 1);

  release.Open();
  worker.Join();
  ExpectCycle(*worker.probe(), 1, 1, 1);
  EXPECT_TRUE(worker.IsHalted());
}

TEST_F(WorkerTest, RaisingStepStillGetsFinishLoopAndEndsTheWorker) {
  ScriptedThread worker;
  worker.OnStep = [](ScriptedThread&) { throw EIdException("step failed"); };
  worker.Launch();
  worker.Join();
  ExpectCycle(*worker.probe(), 1, 1, 1);
  EXPECT_TRUE(worker.EndRequested());
  EXPECT_TRUE(worker.IsHalted());
  EXPECT_TRUE(worker.BodyEnded());
}

TEST_F(WorkerTest, RaisingPrepareSkipsStepsAndFinishLoop) {
  ScriptedThread worker;
  worker.OnPrepare = [](ScriptedThread&) { throw std::runtime_error("prepare failed"); };
  worker.Launch();
  worker.Join();
  ExpectCycle(*worker.probe(), 1, 0, 0);
  EXPECT_TRUE(worker.IsHalted());
}

TEST_F(WorkerTest, RaisingFinishLoopEndsTheWorkerQuietly) {
  ScriptedThread worker;
  worker.OnFinish = [](ScriptedThread&) { throw EIdException("finish failed"); };
  worker.Launch();
  worker.Join();
  ExpectCycle(*worker.probe(), 1, 1, 1);
  EXPECT_TRUE(worker.EndRequested());
}

TEST_F(WorkerTest, StopFromInsideAStepLetsItReturnThenFinishes) {
  std::atomic<bool> haltedInStep{false};
  std::atomic<bool> stepReturned{false};
  std::atomic<bool> finishAfterStep{false};
  ScriptedThread worker;
  worker.OnStep = [&](ScriptedThread& self) {
    self.RequestStop();
    haltedInStep = self.IsHalted();
    stepReturned = true;
  };
  worker.OnFinish = [&](ScriptedThread&) { finishAfterStep = stepReturned.load(); };
  worker.Launch();
  worker.Join();
  ExpectCycle(*worker.probe(), 1, 1, 1);
  EXPECT_TRUE(haltedInStep);
  EXPECT_TRUE(finishAfterStep);
}

// A worker that steps until told to halt; `running` opens at its first step.
void StepUntilHalted(ScriptedThread& worker, Gate& running) {
  worker.OnStep = [&running](ScriptedThread&) {
    running.Open();
    std::this_thread::yield();
  };
}

TEST_F(WorkerTest, EndAndJoinEndsARunningWorkerFromTheMainThread) {
  Gate running;
  ScriptedThread worker;
  StepUntilHalted(worker, running);
  worker.Launch();
  ASSERT_TRUE(running.Wait());
  worker.EndAndJoin();
  EXPECT_TRUE(worker.BodyEnded());
  EXPECT_EQ(worker.probe()->finishes.load(), 1);
}

TEST_F(WorkerTest, EndAndJoinEndsARunningWorkerFromAnotherThread) {
  Gate running;
  ScriptedThread worker;
  StepUntilHalted(worker, running);
  worker.Launch();
  ASSERT_TRUE(running.Wait());
  std::thread([&worker] { worker.EndAndJoin(); }).join();
  EXPECT_TRUE(worker.BodyEnded());
  EXPECT_EQ(worker.probe()->finishes.load(), 1);
}

TEST_F(WorkerTest, JoinOnTheMainThreadCarriesOutMainThreadWorkMeanwhile) {
  std::atomic<int> ranOnMain{0};
  auto handToMain = [&ranOnMain](ScriptedThread&) {
    RunOnMainThread([&ranOnMain] {
      if (IsMainThread()) ++ranOnMain;
    });
  };
  ScriptedThread worker;
  worker.OnStep = [handToMain](ScriptedThread& self) {
    handToMain(self);
    self.RequestStop();
  };
  worker.OnFinish = handToMain;  // also during the very last step
  worker.Launch();
  worker.Join();
  EXPECT_EQ(ranOnMain.load(), 2);
}

TEST_F(WorkerTest, SelfDisposingWorkerDestroysItselfOnItsOwnThread) {
  auto probe = std::make_shared<Probe>();
  std::atomic<std::thread::id> ranOn{};
  auto worker = std::make_unique<ScriptedThread>(probe);
  worker->OnStep = [&ranOn](ScriptedThread& self) {
    ranOn = std::this_thread::get_id();
    self.SetSelfDisposing(true);
    self.RequestStop();
  };
  worker->Launch();
  static_cast<void>(worker.release());  // launched and disposing of itself

  EXPECT_TRUE(AwaitThreadsEnded(10s));
  EXPECT_EQ(probe->destructions.load(), 1);
  EXPECT_EQ(probe->destroyedOn.load(), ranOn.load());
  ExpectCycle(*probe, 1, 1, 1);
}

TEST_F(WorkerTest, AwaitingThreadsWaitsForSelfDisposingBodies) {
  Gate release;
  auto probe = std::make_shared<Probe>();
  auto worker = std::make_unique<ScriptedThread>(probe);
  worker->SetSelfDisposing(true);  // while parked
  worker->OnStep = [&release](ScriptedThread& self) {
    release.Wait();
    self.RequestStop();
  };
  worker->Launch();
  static_cast<void>(worker.release());  // disposes of itself

  EXPECT_FALSE(AwaitThreadsEnded(20ms));  // held at the gate
  EXPECT_EQ(probe->destructions.load(), 0);
  release.Open();
  EXPECT_TRUE(AwaitThreadsEnded(10s));
  EXPECT_EQ(probe->destructions.load(), 1);
}

TEST_F(WorkerTest, AwaitingThreadsWaitsForOwnedBodiesButNotForTheirJoin) {
  Gate release;
  ScriptedThread worker;
  worker.OnStep = [&release](ScriptedThread& self) {
    release.Wait();
    self.RequestStop();
  };
  worker.Launch();
  EXPECT_FALSE(AwaitThreadsEnded(20ms));
  release.Open();
  EXPECT_TRUE(AwaitThreadsEnded(10s));
  EXPECT_TRUE(worker.BodyEnded());
  worker.Join();
}

TEST_F(WorkerTest, WorkersLaunchedAndStoppedFromSeveralThreadsRunOneCycleEach) {
  constexpr int kWorkers = 12;
  std::vector<std::unique_ptr<ScriptedThread>> workers;
  std::vector<std::unique_ptr<Gate>> running;
  for (int i = 0; i < kWorkers; ++i) {
    workers.push_back(std::make_unique<ScriptedThread>());
    running.push_back(std::make_unique<Gate>());
    StepUntilHalted(*workers.back(), *running.back());
  }
  auto onAll = [&workers](void (TIdThread::*operation)()) {
    return std::thread([&workers, operation] {
      for (auto& worker : workers) ((*worker).*operation)();
    });
  };
  std::thread launcherA = onAll(&TIdThread::Launch);
  std::thread launcherB = onAll(&TIdThread::Launch);
  launcherA.join();
  launcherB.join();
  for (auto& gate : running) ASSERT_TRUE(gate->Wait());
  std::thread stopperA = onAll(&TIdThread::RequestStop);
  std::thread stopperB = onAll(&TIdThread::RequestStop);
  stopperA.join();
  stopperB.join();
  for (auto& worker : workers) {
    worker->Join();
    EXPECT_EQ(worker->probe()->prepares.load(), 1);
    EXPECT_EQ(worker->probe()->finishes.load(), 1);
  }
}

}  // namespace
}  // namespace horalux
