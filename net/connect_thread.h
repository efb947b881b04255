// TIdConnectThread: connects one socket handle on a thread of its own, so that the
// caller can give up after a time limit. It records the failure's message instead of
// raising it; Finished() says when it is done.
//
// Thread-safety: the thread touches only the handle's connect and bindings and its own
// failure text, which the caller reads after Finished() (or after WaitFor).
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "stack/socket_handle.h"

namespace horalux {

class TIdConnectThread {
 public:
  // Created suspended.
  explicit TIdConnectThread(TIdSocketHandle& handle) : handle_(handle) {}
  // Waits until the thread has ended.
  ~TIdConnectThread();
  TIdConnectThread(const TIdConnectThread&) = delete;
  TIdConnectThread& operator=(const TIdConnectThread&) = delete;

  void Start();
  // Asks the thread to stop; the pending connect ends when its socket is closed.
  void Terminate() noexcept { terminateRequested_.store(true); }
  bool Finished() const noexcept { return finished_.load(std::memory_order_acquire); }
  void WaitFor();
  // Empty unless the connect failed. Requires: Finished().
  const std::string& FailureText() const noexcept { return failureText_; }

 private:
  void Execute() noexcept;

  TIdSocketHandle& handle_;
  std::string failureText_;
  std::atomic<bool> terminateRequested_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace horalux
