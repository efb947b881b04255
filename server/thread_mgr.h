// Thread managers hand out peer threads to the server's listeners, keep the list of
// those alive, take them back when they are done and let the server wait until all are
// gone. TIdThreadMgrDefault makes a fresh thread per connection and disposes of it
// afterwards (no pooling).
//
// Ownership of a peer thread: from AcquirePeerThread until it is launched, the caller
// holds it and must either launch it or give it back with ReturnPeerThread; a launched
// peer gives itself back at the end of its service and then destroys itself. The
// manager's list never owns the threads, and destroying the manager leaves them alone.
//
// Thread-safety: AcquirePeerThread, ReturnPeerThread, AwaitNoLiveThreads and LiveThreads
// may be used from any thread; they meet only in LiveThreads. PeerThreadKind is
// configuration: set it while no thread uses the manager. LiveThreads' lock is taken
// after the notification queue's lock when both are held, never before it.
#pragma once

#include <chrono>
#include <memory>

#include "base/component.h"
#include "server/id_thread.h"
#include "server/locked_list.h"

namespace horalux {

class TIdThreadMgr : public TIdBaseComponent {
 public:
  static constexpr int WaitStep = 250;  // milliseconds between looks at LiveThreads

  explicit TIdThreadMgr(TComponent* owner = nullptr);
  ~TIdThreadMgr() override;

  // The threads handed out and not yet given back; each listed once.
  TLockedList<TIdThread*> LiveThreads;
  // The kind of thread to make; null (empty) at creation. Not owned.
  const TIdThreadKind* PeerThreadKind = nullptr;

  // A new parked thread of PeerThreadKind. Throws EIdThreadClassNotSpecified when it is
  // empty, or what the thread's constructor throws.
  virtual std::unique_ptr<TIdThread> MakeThread();

  // A parked, listed thread for the caller to launch or give back (see above).
  virtual TIdThread& AcquirePeerThread() = 0;

  // Takes a thread back; afterwards it is no longer listed. Requires: `thread` came from
  // this manager and is given back once.
  virtual void ReturnPeerThread(TIdThread& thread) = 0;

  // Looks at LiveThreads after each WaitStep, timeoutMs / WaitStep times, and returns
  // once it was empty; a time-out below WaitStep gives no look at all. Throws
  // EIdTerminateThreadTimeout when no look found it empty. Ends no thread itself.
  virtual void AwaitNoLiveThreads(int timeoutMs);

 protected:
  // One WaitStep of AwaitNoLiveThreads; a seam for tests.
  virtual void Pause(std::chrono::milliseconds duration);
};

class TIdThreadMgrDefault : public TIdThreadMgr {
 public:
  using TIdThreadMgr::TIdThreadMgr;

  // MakeThread, listed. Throws what MakeThread throws; nothing is listed then.
  TIdThread& AcquirePeerThread() override;

  // Called by the thread itself: marks it self-disposing and unlists it; it destroys
  // itself when its body ends. Called by any other thread: ends and joins the thread if
  // it was launched, unlists it and destroys it. (In the server only parked threads are
  // given back by others, so this never waits.)
  void ReturnPeerThread(TIdThread& thread) override;
};

}  // namespace horalux
