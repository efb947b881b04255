#include "server/peer_thread.h"

#include "server/tcp_server.h"
#include "stack/exceptions.h"
#include "stack/messages.h"
#include "stack/wsa_codes.h"

namespace horalux {

TIdPeerThread::TIdPeerThread(TIdTCPServer& server) : server_(&server), mgr_(server.threadMgr_) {}

TIdPeerThread::~TIdPeerThread() = default;

void TIdPeerThread::SetConnection(std::unique_ptr<TIdTCPServerConnection> connection) {
  connection_ = std::move(connection);
}

std::unique_ptr<TIdTCPServerConnection> TIdPeerThread::TakeConnection() {
  return std::move(connection_);
}

void TIdPeerThread::PrepareLoop() {
  try {
    if (!connection_ || connection_->IOHandler() == nullptr) throw EIdTCPServerError("");
    connection_->IOHandler()->Accepted();
    if (server_->Intercept() != nullptr) {
      connection_->AttachIntercept(server_->Intercept()->Accept(*connection_));
    }
    server_->FireConnect(*this);
  } catch (...) {
    // No FinishLoop follows a failed PrepareLoop, so the hand-back happens here; the
    // connection goes with the thread when its body ends.
    if (connection_) connection_->CloseSocketOnly();
    HandBack();
    throw;
  }
}

void TIdPeerThread::LoopStep() {
  try {
    ServeOnce();
    if (!connection_->IsConnected()) RequestStop();
  } catch (const std::exception& error) {
    server_->ReportPeerException(*this, error);
    throw;
  }
}

// Socket errors are reported and the peer lives on while its connection does; an
// aborted or reset connection is closed first so that it does not.
void TIdPeerThread::ServeOnce() {
  try {
    if (!server_->ServeConnection(*this)) {
      throw EIdNoExecuteSpecified(Messages().NoExecuteSpecified);
    }
  } catch (const EIdSocketError& error) {
    server_->ReportPeerException(*this, error);
    if (error.errorCode() == Id_WSAECONNABORTED || error.errorCode() == Id_WSAECONNRESET) {
      connection_->CloseConnection();
    }
  } catch (const EIdClosedSocket& error) {
    server_->ReportPeerException(*this, error);
  }
}

void TIdPeerThread::FinishLoop() {
  try {
    server_->FireDisconnect(*this);
  } catch (...) {
    HandBack();
    throw;
  }
  HandBack();
}

void TIdPeerThread::HandBack() {
  if (handedBack_) return;
  handedBack_ = true;
  // The manager unlists this thread and marks it self-disposing: it is destroyed, with
  // its connection, on this thread once the body has ended.
  mgr_->ReturnPeerThread(*this);
}

std::unique_ptr<TIdThread> TIdPeerThreadKind::Make() const {
  return std::make_unique<TIdPeerThread>(server_);
}

}  // namespace horalux
