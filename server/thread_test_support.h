// Test helpers for the server's threads: a worker whose steps the test scripts, a gate
// to hold a worker at a known point, and a fixture that proves no thread is left behind.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "server/id_thread.h"
#include "server/notify_thread.h"
#include "server/thread.h"
#include "tests/support/process_counts.h"

namespace horalux::testing {

// A manual-reset gate: once opened, every waiter passes.
class Gate {
 public:
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  bool Wait(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    return opened_.wait_for(lock, timeout, [this] { return open_; });
  }
  bool IsOpen() {
    std::lock_guard lock(mutex_);
    return open_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

// What a scripted worker did; outlives the worker, which may destroy itself.
struct Probe {
  std::atomic<int> prepares{0};
  std::atomic<int> steps{0};
  std::atomic<int> finishes{0};
  std::atomic<int> destructions{0};
  std::atomic<std::thread::id> destroyedOn{};
  Gate destroyed;
};

// A worker whose steps run the scripts given before Launch. Without a step script each
// step stops the worker.
class ScriptedThread : public TIdThread {
 public:
  using Script = std::function<void(ScriptedThread&)>;

  explicit ScriptedThread(std::shared_ptr<Probe> probe = std::make_shared<Probe>())
      : probe_(std::move(probe)) {}
  ~ScriptedThread() override {
    probe_->destroyedOn.store(std::this_thread::get_id());
    ++probe_->destructions;
    probe_->destroyed.Open();
  }

  const std::shared_ptr<Probe>& probe() const { return probe_; }

  Script OnPrepare;
  Script OnStep;
  Script OnFinish;

 protected:
  void PrepareLoop() override {
    ++probe_->prepares;
    if (OnPrepare) OnPrepare(*this);
  }
  void LoopStep() override {
    ++probe_->steps;
    if (OnStep) {
      OnStep(*this);
    } else {
      RequestStop();
    }
  }
  void FinishLoop() override {
    ++probe_->finishes;
    if (OnFinish) OnFinish(*this);
  }

 private:
  std::shared_ptr<Probe> probe_;
};

// Records the process's thread count once the notification thread exists, and checks at
// the end that every self-disposing thread is gone and the count is back.
class ThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TIdNotifyThread::CreateOnce();
    baseline_ = ThreadCount();
  }
  void TearDown() override {
    EXPECT_TRUE(AwaitThreadsEnded(std::chrono::seconds(10)));
    EXPECT_TRUE(Eventually([this] { return ThreadCount() == baseline_; }))
        << ThreadCount() << " threads, " << baseline_ << " before";
  }

  int baseline_ = 0;
};

}  // namespace horalux::testing
