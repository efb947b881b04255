// TThread: the platform thread under every server thread. It is created parked (no
// system thread exists yet), started once, and either joined by its owner or, when
// SelfDisposing, destroyed by itself on its own thread once its body has ended.
//
// A self-disposing thread has no owner to join it, so it detaches its system thread when
// its object is gone (TNativeThread::Detach). Joining it from the next thread instead, as
// each new thread joining the one before did, put every thread's exit on another's path:
// under a stream of short connections that chained thousands of finished threads. So that
// none can outlive `main` unnoticed, the module counts every started thread until its
// body has ended (and, for a self-disposing one, until its object is destroyed).
// AwaitThreadsEnded waits for the count to reach zero: afterwards no code of ours runs on
// a thread of ours any more, apart from threads started with StartDetached, and a
// detached thread only returns into the C library. Program exit and tests call
// AwaitThreadsEnded.
//
// Threads run with a stack of StackBytes: server threads run short event handlers, and
// a thread per connection should not map the platform's default of several MiB.
//
// Thread-safety: the state queries and RequestEnd may be called from any thread; Start
// and SetSelfDisposing as documented; the object must be destroyed by exactly one party.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

#include "server/native_thread.h"

namespace horalux {

class TThread {
 public:
  // Stack of every server thread; the sanitizers' instrumented frames need more.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  static constexpr std::size_t StackBytes = 1024 * 1024;
#else
  static constexpr std::size_t StackBytes = 256 * 1024;
#endif

  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Joins the system thread when one was started. Requires: the thread never started or
  // its body has ended; it is not self-disposing while running (it destroys itself then);
  // the caller is not the thread itself.
  virtual ~TThread();

  // The thread's id once it runs; a default id (equal to no thread's) before.
  std::thread::id ThreadID() const noexcept { return threadId_.load(); }
  bool EndRequested() const noexcept { return endRequested_.load(); }
  bool Parked() const noexcept { return parked_.load(); }
  bool SelfDisposing() const noexcept { return selfDisposing_.load(); }
  bool BodyEnded() const noexcept { return bodyEnded_.load(); }

  // From now on the body runs until it sees the request; takes no lock.
  void RequestEnd() noexcept { endRequested_.store(true); }

  // Marks the thread to destroy itself when its body ends. Requires: called while the
  // thread is parked, or by the thread itself before its body ends; nobody else destroys
  // or joins the thread afterwards.
  void SetSelfDisposing(bool value) noexcept { selfDisposing_.store(value); }

  // Waits until the body has ended and the system thread has finished. On the main
  // thread it carries out queued main-thread work meanwhile (see main_thread_queue.h),
  // so a body that hands work to the main thread still ends; an exception of posted work
  // run there is raised after the wait. Requires: the thread has been started (a parked
  // thread never ends), it is not self-disposing, and the caller is not the thread itself.
  void Join();

 protected:
  TThread() = default;

  // Starts the parked thread: Execute runs on a new system thread. Does nothing when
  // already started. Throws std::system_error when the system cannot create a thread;
  // the thread then stays parked.
  void Start();

  // Starts a parked thread that runs for the rest of the process without an owner: its
  // system thread is detached and AwaitThreadsEnded does not wait for it. Throws as Start.
  // Requires: the object is never destroyed.
  void StartDetached();

  // The body. Runs on the thread's own system thread.
  virtual void Execute() = 0;

 private:
  static void Run(void* self);
  void MarkBodyEnded(bool disposing);
  void JoinHandle();
  void StartThread(bool counted);

  std::mutex handleLock_;  // guards thread_ and the start
  TNativeThread thread_;
  bool counted_ = false;  // by the graveyard's count; set at the start
  std::atomic<std::thread::id> threadId_{};
  std::atomic<bool> endRequested_{false};
  std::atomic<bool> parked_{true};
  std::atomic<bool> selfDisposing_{false};
  std::atomic<bool> bodyEnded_{false};
  std::mutex endLock_;  // orders bodyEnded_ with waits in Join
  std::condition_variable ended_;
};

// Waits at most `timeout` until no started thread (but those started detached) runs its
// body and every self-disposing thread has destroyed its object. True when none is left;
// on false some still run (for example one blocked in a call that nothing woke). A
// non-disposing thread's system thread ends when its owner joins it.
bool AwaitThreadsEnded(std::chrono::milliseconds timeout);

}  // namespace horalux
