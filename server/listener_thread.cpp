#include "server/listener_thread.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

#include "server/peer_thread.h"
#include "server/tcp_server.h"

namespace horalux {

TIdListenerThread::TIdListenerThread(TIdTCPServer& server, TIdSocketHandle& binding)
    : server_(server), binding_(binding) {}

void TIdListenerThread::Stop() {
  RequestEnd();
  {
    // Taken so that the end cannot slip in between the pause's look at it and its wait.
    std::lock_guard lock(pauseLock_);
  }
  pauseCut_.notify_all();
  binding_.CloseBinding();
}

void TIdListenerThread::LoopStep() {
  TIdPeerThread* peer = nullptr;
  try {
    peer = &AcquirePeer();
    if (!AcceptServable(*peer)) {
      server_.threadMgr_->ReturnPeerThread(*std::exchange(peer, nullptr));
      RequestStop();
      return;
    }
    nextPause_ = std::chrono::milliseconds(0);
    // A launched peer may be gone as soon as Launch returns: not touched after it.
    peer->Launch();
  } catch (const std::exception& error) {
    GiveBackUnlaunched(peer);
    server_.ReportListenException(*this, error);
    PauseAfterFailure();
  } catch (...) {
    GiveBackUnlaunched(peer);  // nothing to report it with, but it still must not spin
    PauseAfterFailure();
  }
}

// Launch throws only while the peer is still parked; a parked peer is ours to give back.
void TIdListenerThread::GiveBackUnlaunched(TIdPeerThread* peer) {
  if (peer != nullptr && peer->Parked()) server_.threadMgr_->ReturnPeerThread(*peer);
}

// The server gives its manager its own peer kind, so every thread made is a peer.
TIdPeerThread& TIdListenerThread::AcquirePeer() {
  return static_cast<TIdPeerThread&>(server_.threadMgr_->AcquirePeerThread());
}

bool TIdListenerThread::AcceptServable(TIdPeerThread& peer) {
  for (;;) {
    if (!AcceptInto(peer)) return false;
    if (!ServerFull(peer)) return true;
    Refuse(peer);
  }
}

bool TIdListenerThread::AcceptInto(TIdPeerThread& peer) {
  auto connection = std::make_unique<TIdTCPServerConnection>(server_);
  std::unique_ptr<TIdIOHandler> handler = server_.serverIOHandler_->AcceptPeer(binding_.socketId());
  if (!handler) return false;
  connection->AttachIOHandler(std::move(handler));
  peer.SetConnection(std::move(connection));
  return true;
}

// Counts the peers being served: parked ones (this listener's and other listeners')
// serve nobody yet.
bool TIdListenerThread::ServerFull(const TIdPeerThread& peer) {
  const int limit = server_.MaxConnections;
  if (limit <= 0) return false;
  auto live = server_.threadMgr_->LiveThreads.Lock();
  const auto served = std::count_if(live->begin(), live->end(), [&peer](TIdThread* thread) {
    return thread != &peer && !thread->Parked();
  });
  return served >= limit;
}

void TIdListenerThread::Refuse(TIdPeerThread& peer) {
  std::unique_ptr<TIdTCPServerConnection> connection = peer.TakeConnection();
  WriteReply(*connection, server_.MaxConnectionReply);
  connection->CloseConnection();
}

void TIdListenerThread::PauseAfterFailure() {
  nextPause_ = nextPause_.count() == 0
                   ? server_.ListenRetryPause
                   : std::min(nextPause_ * 2,
                              std::max(server_.ListenRetryPauseMax, server_.ListenRetryPause));
  std::unique_lock lock(pauseLock_);
  pauseCut_.wait_for(lock, nextPause_, [this] { return EndRequested(); });
}

void TIdListenerThread::FinishLoop() { binding_.CloseBinding(); }

}  // namespace horalux
