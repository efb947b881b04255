// TNativeThread: one system thread with a stack of a chosen size, which std::thread
// cannot ask for. The server makes a thread per connection; with the platform's default
// stack (8 MiB on Linux) every connection maps, faults in and unmaps a stack of its own.
// Stacks made here are kept and reused once the thread that ran on one has finished, and
// the C library leaves them alone at thread exit (it would otherwise hand the stack's
// pages back to the system for each thread, which costs a page-table flush on every
// processor the process runs on).
//
// Thread-safety: one owner starts, joins or releases a thread object; not shared. The
// kept stacks are shared by all threads under a lock of their own.
#pragma once

#include <cstddef>

namespace horalux {

class TNativeThread {
 public:
  using Body = void (*)(void* argument);

  TNativeThread() = default;
  // Requires: not Joinable (joined, released, detached or never started).
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
  // Lets the thread finish on its own; its stack is reused once it has. May be called by
  // the thread itself. Requires: Joinable.
  void Release();
  // For a thread that runs until the process ends: lets it go for good, stack included.
  void Detach();
  // Waits until every released thread has finished (they run no code of their owners'
  // any more, so this is short) and reclaims their stacks.
  static void JoinReleased();
  // Whether the calling thread is this one. Requires: Joinable.
  bool IsCurrent() const noexcept;

 private:
  // The platform's thread handle, kept as bytes so that this header needs no system one.
  alignas(void*) unsigned char handle_[sizeof(void*)] = {};
  void* stack_ = nullptr;  // the mapping the thread runs on, guard page first
  std::size_t stackBytes_ = 0;
  bool started_ = false;
};

}  // namespace horalux
