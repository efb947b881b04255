#include "server/thread_mgr.h"

#include <thread>

#include "stack/exceptions.h"
#include "stack/messages.h"

namespace horalux {

TIdThreadMgr::TIdThreadMgr(TComponent* owner) : TIdBaseComponent(owner) {}

TIdThreadMgr::~TIdThreadMgr() = default;

std::unique_ptr<TIdThread> TIdThreadMgr::MakeThread() {
  if (PeerThreadKind == nullptr) {
    throw EIdThreadClassNotSpecified(Messages().ThreadClassNotSpecified);
  }
  return PeerThreadKind->Make();
}

void TIdThreadMgr::AwaitNoLiveThreads(int timeoutMs) {
  const int passes = timeoutMs / WaitStep;
  for (int pass = 0; pass < passes; ++pass) {
    // Sleep first, then look: even an empty list costs one step.
    Pause(std::chrono::milliseconds(WaitStep));
    if (LiveThreads.Lock()->empty()) return;
  }
  throw EIdTerminateThreadTimeout(Messages().TerminateThreadTimeout);
}

void TIdThreadMgr::Pause(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

TIdThread& TIdThreadMgrDefault::AcquirePeerThread() {
  std::unique_ptr<TIdThread> thread = MakeThread();
  LiveThreads.Add(thread.get());
  return *thread.release();  // the caller launches it or gives it back
}

void TIdThreadMgrDefault::ReturnPeerThread(TIdThread& thread) {
  if (thread.ThreadID() == std::this_thread::get_id()) {
    // Marked before unlisting: once the list is empty a deactivation may finish and the
    // program wait for self-disposing threads, which must count this one by then.
    thread.SetSelfDisposing(true);
    LiveThreads.Remove(&thread);
    return;
  }
  if (!thread.Parked()) thread.EndAndJoin();
  LiveThreads.Remove(&thread);
  std::unique_ptr<TIdThread> disposed(&thread);  // handed back: ours to destroy
}

}  // namespace horalux
