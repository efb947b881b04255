// TIdThread: the base of the server's worker threads (listeners, peers). A worker is
// constructed parked and runs nothing until Launch; then it runs one cycle:
// PrepareLoop, LoopStep until halted, FinishLoop. Errors that escape the cycle end the
// thread quietly; workers report failures inside their own steps.
//
// A descendant supplies LoopStep and may override PrepareLoop and FinishLoop. A step may
// call RequestStop on its own thread to end the cycle after it returns. A worker whose
// PrepareLoop or FinishLoop can fail and that must still be handed back (a peer thread)
// does so itself before letting the error go on, e.g. with a scope guard that calls its
// manager's ReturnPeerThread: the thread then destroys itself once the body has ended.
//
// Thread-safety: IsHalted, Launch, RequestStop, RequestEnd and EndAndJoin may be called
// from any thread; flag changes happen under StateLock, which is never held while
// waiting for another thread.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "server/thread.h"

namespace horalux {

class TIdThread : public TThread {
 public:
  // Parked: Parked and the halt flag are set. The first construction in the process
  // also starts the notification thread (TIdNotifyThread); std::system_error if that fails.
  TIdThread();
  ~TIdThread() override;

  // Ended or asked to end, told to halt, or still parked.
  bool IsHalted();

  // Clears the halt and starts the thread if it is parked; does nothing on a running
  // worker that is not halted. Throws std::system_error when no system thread can be
  // created; the worker then stays parked and halted. A worker that disposes of itself
  // may be gone as soon as this returns: the caller must not touch it afterwards.
  void Launch();

  // Ends the cycle after the current step. Does nothing on a parked or halted worker.
  void RequestStop();

  // Asks the end and halts, then waits for the end (TThread::Join). Requires: launched.
  void EndAndJoin();

 protected:
  virtual void PrepareLoop() {}
  virtual void LoopStep() = 0;
  virtual void FinishLoop() {}

  std::recursive_mutex StateLock;

 private:
  void Execute() final;
  void RunCycle();

  std::atomic<bool> HaltFlag{true};
};

// A kind of worker thread that can be constructed without knowing its class: the thread
// manager makes peer threads from the kind the server gives it. Kinds are immutable and
// may be used from any thread.
class TIdThreadKind {
 public:
  // A new parked thread of this kind. Throws what its constructor throws.
  virtual std::unique_ptr<TIdThread> Make() const = 0;

 protected:
  TIdThreadKind() = default;
  ~TIdThreadKind() = default;
};

// The kind of a default-constructible worker class T.
template <class T>
class TIdThreadKindOf final : public TIdThreadKind {
 public:
  std::unique_ptr<TIdThread> Make() const override { return std::make_unique<T>(); }
};

template <class T>
inline constexpr TIdThreadKindOf<T> ThreadKindOf{};

}  // namespace horalux
