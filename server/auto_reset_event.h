// An event that starts unsignalled and lets one waiter through per signal, then closes
// again by itself. Signals given while nobody waits are not counted: the next waiter
// passes, later ones wait for the next signal.
//
// Thread-safety: every member may be called from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace horalux {

class TAutoResetEvent {
 public:
  TAutoResetEvent() = default;
  TAutoResetEvent(const TAutoResetEvent&) = delete;
  TAutoResetEvent& operator=(const TAutoResetEvent&) = delete;

  void SetEvent() {
    {
      std::lock_guard lock(mutex_);
      signalled_ = true;
    }
    changed_.notify_one();
  }

  // Waits without a limit until signalled, and unsignals the event.
  void WaitFor() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
  }

  // Waits at most `timeout`; true when the signal was taken.
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
    signalled_ = false;
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace horalux
