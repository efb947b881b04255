#include "server/tcp_server.h"

#include <optional>
#include <utility>

#include "server/listener_thread.h"
#include "server/notify_thread.h"
#include "server/reuse_address.h"
#include "stack/exceptions.h"

namespace horalux {
namespace {

// Holds the notification queue's lock, when the notification thread exists, for as long
// as the server shuts its peers down: that lock comes before the manager's LiveThreads.
class NotificationQueueHold {
 public:
  NotificationQueueHold() {
    if (TIdNotifyThread* notifier = TIdNotifyThread::Instance()) {
      queue_.emplace(notifier->NotificationQueue);
    }
  }

 private:
  std::optional<TLockedList<std::unique_ptr<TIdNotification>>::Locked> queue_;
};

}  // namespace

TIdTCPServer::TIdTCPServer(TComponent* owner) : TIdComponent(owner) {}

TIdTCPServer::~TIdTCPServer() {
  StopServing();
  if (ownsServerIOHandler_) TComponent::Free(serverIOHandler_);
  ReleaseOwnThreadMgr();
}

void TIdTCPServer::StopServing() noexcept {
  try {
    SetActive(false);
  } catch (...) {
    // Swallowed: a destructor has no one to report to. What the time-out means, peers
    // still alive, is dealt with below.
  }
  if (!peersMayRemain_ || threadMgr_ == nullptr) return;
  // Their sockets are closed already; only a handler that never returns keeps one alive.
  for (;;) {
    try {
      threadMgr_->AwaitNoLiveThreads(TIdThreadMgr::WaitStep);
      return;
    } catch (const EIdTerminateThreadTimeout&) {
      // Still there: look again after the next step.
    }
  }
}

void TIdTCPServer::SetActive(bool value) {
  if (value == active_) return;
  if (value) {
    Activate();
  } else {
    Deactivate();
  }
}

void TIdTCPServer::SetBindings(const TIdSocketHandles& bindings) {
  bindings_.Clear();
  for (std::size_t i = 0; i < bindings.Count(); ++i) {
    bindings_.AddBinding().Assign(bindings.BindingAt(i));
  }
}

void TIdTCPServer::SetIntercept(TIdServerIntercept* intercept) {
  if (intercept_ != nullptr) RemoveFreeNotification(intercept_);
  intercept_ = intercept;
  if (intercept != nullptr) FreeNotification(intercept);
}

TIdThreadMgr& TIdTCPServer::ThreadMgr() {
  if (threadMgr_ == nullptr) {
    threadMgr_ = &MakeComponent<TIdThreadMgrDefault>(*this);
    ownsThreadMgr_ = true;
  }
  return *threadMgr_;
}

void TIdTCPServer::SetThreadMgr(TIdThreadMgr* mgr) {
  ReleaseOwnThreadMgr();
  if (threadMgr_ != nullptr) RemoveFreeNotification(threadMgr_);
  threadMgr_ = mgr;
  if (mgr != nullptr) FreeNotification(mgr);
}

void TIdTCPServer::SetServerIOHandler(TIdServerIOHandler* handler) {
  if (ownsServerIOHandler_) {
    ownsServerIOHandler_ = false;
    TComponent::Free(serverIOHandler_);
  }
  if (serverIOHandler_ != nullptr) RemoveFreeNotification(serverIOHandler_);
  serverIOHandler_ = handler;
  if (handler != nullptr) FreeNotification(handler);
}

void TIdTCPServer::ReleaseOwnThreadMgr() noexcept {
  if (!ownsThreadMgr_) return;
  ownsThreadMgr_ = false;
  TComponent::Free(threadMgr_);
}

void TIdTCPServer::Notification(TComponent* component, TOperation operation) {
  TIdComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == threadMgr_) {
    threadMgr_ = nullptr;
    ownsThreadMgr_ = false;
  }
  if (component == serverIOHandler_) {
    serverIOHandler_ = nullptr;
    ownsServerIOHandler_ = false;
  }
  if (component == intercept_) intercept_ = nullptr;
}

void TIdTCPServer::Activate() {
  if (bindings_.Count() == 0) bindings_.AddBinding();
  ThreadMgr().PeerThreadKind = &peerKind_;
  if (serverIOHandler_ == nullptr) {
    serverIOHandler_ = &MakeComponent<TIdServerIOHandlerSocket>(*this);
    ownsServerIOHandler_ = true;
  }
  listeners_ = std::make_unique<ListenerList>();
  try {
    serverIOHandler_->PrepareHandler();
    OpenBindings();
  } catch (...) {
    // Nothing of a failed activation keeps running: listeners already started are
    // stopped, their sockets closed, and a client they accepted meanwhile is cut off.
    (void)StopListeners();  // the activation's error is the one to report
    CloseBindings();
    {
      NotificationQueueHold queue;
      ClosePeerSockets();
    }
    peersMayRemain_ = !threadMgr_->LiveThreads.Lock()->empty();
    if (!peersMayRemain_) ReleaseOwnThreadMgr();
    throw;
  }
  active_ = true;
}

void TIdTCPServer::OpenBindings() {
  for (std::size_t i = 0; i < bindings_.Count(); ++i) {
    TIdSocketHandle& binding = bindings_.BindingAt(i);
    binding.OpenHandle(Id_SOCK_STREAM, 0);
    if (ReuseSocket == rsTrue || (ReuseSocket == rsOSDependent && ReuseAddressByDefault())) {
      const std::int32_t on = 1;
      binding.SetOption(Id_SOL_SOCKET, Id_SO_REUSEADDR, &on, sizeof on);
    }
    binding.BindLocal();
    binding.StartListening(ListenQueue);
    StartListener(binding);
  }
}

void TIdTCPServer::StartListener(TIdSocketHandle& binding) {
  auto listener = std::make_unique<TIdListenerThread>(*this, binding);
  listener->Launch();  // a listener that fails to start is destroyed unlisted, never run
  listeners_->Add(std::move(listener));
}

void TIdTCPServer::Deactivate() {
  const std::exception_ptr joinError = StopListeners();
  try {
    ShutDownPeers();
  } catch (...) {
    // The listeners are gone and will not be met again; the manager stays, since the
    // peers that outlived the wait still hand themselves back to it.
    active_ = false;
    peersMayRemain_ = true;
    throw;
  }
  ReleaseOwnThreadMgr();
  active_ = false;
  peersMayRemain_ = false;
  if (joinError) std::rethrow_exception(joinError);
}

// Joining on the main thread runs work queued for it meanwhile; should some raise, every
// listener is still stopped and the first such error returned.
std::exception_ptr TIdTCPServer::StopListeners() {
  if (!listeners_) return nullptr;
  std::exception_ptr firstError;
  {
    auto listeners = listeners_->Lock();
    for (const std::unique_ptr<TIdListenerThread>& listener : *listeners) {
      listener->Stop();
      try {
        listener->Join();
      } catch (...) {
        // The body has ended; destroying the listener below joins its system thread.
        if (!firstError) firstError = std::current_exception();
      }
    }
    listeners->clear();
  }
  listeners_.reset();
  return firstError;
}

void TIdTCPServer::CloseBindings() noexcept {
  for (std::size_t i = 0; i < bindings_.Count(); ++i) bindings_.BindingAt(i).CloseBinding();
}

void TIdTCPServer::ShutDownPeers() {
  NotificationQueueHold queue;
  ClosePeerSockets();
  ThreadMgr().AwaitNoLiveThreads(TerminateWaitTime);
}

// A peer's blocking I/O fails once its socket is closed, and its cycle ends.
void TIdTCPServer::ClosePeerSockets() {
  auto live = ThreadMgr().LiveThreads.Lock();
  for (TIdThread* thread : *live) {
    auto& peer = static_cast<TIdPeerThread&>(*thread);
    if (peer.HasConnection()) peer.Connection().CloseSocketOnly();
  }
}

void TIdTCPServer::FireConnect(TIdPeerThread& peer) {
  WriteReply(peer.Connection(), Greeting);
  if (OnConnect) OnConnect(peer);
}

void TIdTCPServer::FireDisconnect(TIdPeerThread& peer) {
  if (OnDisconnect) OnDisconnect(peer);
}

void TIdTCPServer::ReportPeerException(TIdPeerThread& peer, const std::exception& error) {
  if (OnException) OnException(peer, error);
}

void TIdTCPServer::ReportListenException(TIdListenerThread& listener, const std::exception& error) {
  if (OnListenException) OnListenException(listener, error);
}

}  // namespace horalux
