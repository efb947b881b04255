// TNativeThread: one system thread with a stack of a chosen size, which std::thread
// cannot ask for. The server makes a thread per connection; with the platform's default
// stack (8 MiB on Linux) every connection would map a stack that size. The C library
// keeps the stacks of ended threads and reuses them.
//
// Thread-safety: one owner starts, joins or detaches a thread object; not shared.
#pragma once

#include <cstddef>

namespace horalux {

class TNativeThread {
 public:
  using Body = void (*)(void* argument);

  TNativeThread() = default;
  // Requires: not Joinable (joined, detached or never started).
  ~TNativeThread();
  TNativeThread(TNativeThread&& other) noexcept;
  TNativeThread& operator=(TNativeThread&& other) noexcept;
  TNativeThread(const TNativeThread&) = delete;
  TNativeThread& operator=(const TNativeThread&) = delete;

  // Runs body(argument) on a new system thread with at least `stackBytes` of stack.
  // Throws std::system_error when no thread or stack can be made. Requires: not Joinable.
  void Start(Body body, void* argument, std::size_t stackBytes);
  bool Joinable() const noexcept { return started_; }
  // Waits until the thread has finished. Requires: Joinable, not called by the thread.
  void Join();
  // Lets the thread finish on its own, unjoined; the system reclaims it when it ends. May
  // be called by the thread itself. Requires: Joinable.
  void Detach();
  // Whether the calling thread is this one. Requires: Joinable.
  bool IsCurrent() const noexcept;

 private:
  // The platform's thread handle, kept as bytes so that this header needs no system one.
  alignas(void*) unsigned char handle_[sizeof(void*)] = {};
  bool started_ = false;
};

}  // namespace horalux
