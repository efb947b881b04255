// TIdPeerThread: the thread that serves one accepted connection. A listener gets it
// parked from the server's thread manager, gives it its connection and launches it; it
// then runs one serving cycle (greeting and OnConnect, ServeConnection until the
// connection drops or the step stops it, OnDisconnect), hands itself back to the manager
// and destroys itself, connection included.
//
// However its cycle ends (also when the greeting, OnConnect or OnDisconnect raises), the
// thread leaves the manager's list exactly once and destroys itself once, so a
// deactivation never waits for it in vain.
//
// Thread-safety: Connection may be used by the peer's own thread (the server's events run
// there); the server's deactivation closes its socket from another thread while holding
// the manager's list. Between acquisition and Launch only the listener touches it.
#pragma once

#include <memory>

#include "server/id_thread.h"
#include "server/tcp_server_connection.h"
#include "server/thread_mgr.h"

namespace horalux {

class TIdTCPServer;

class TIdPeerThread : public TIdThread {
 public:
  // Requires: the server's thread manager exists (it does while the server is active).
  explicit TIdPeerThread(TIdTCPServer& server);
  ~TIdPeerThread() override;

  // The connection being served. Requires: HasConnection.
  TIdTCPServerConnection& Connection() const noexcept { return *connection_; }
  bool HasConnection() const noexcept { return connection_ != nullptr; }
  TIdTCPServer& OwnerServer() const noexcept { return *server_; }

  // For the listener while the thread is parked: gives it its connection, or takes it
  // back to destroy it.
  void SetConnection(std::unique_ptr<TIdTCPServerConnection> connection);
  std::unique_ptr<TIdTCPServerConnection> TakeConnection();

 protected:
  // Throws EIdTCPServerError when there is no I/O handler, and what the greeting,
  // the intercept and OnConnect throw; the thread has then handed itself back.
  void PrepareLoop() override;
  // One ServeConnection with the failure rules of the server (see tcp_server.h).
  void LoopStep() override;
  void FinishLoop() override;

 private:
  void ServeOnce();
  void HandBack();

  TIdTCPServer* server_;
  TIdThreadMgr* mgr_;
  std::unique_ptr<TIdTCPServerConnection> connection_;
  bool handedBack_ = false;  // the peer's own thread only
};

// Makes peer threads for one server: the server puts it in its manager at activation.
class TIdPeerThreadKind final : public TIdThreadKind {
 public:
  explicit TIdPeerThreadKind(TIdTCPServer& server) : server_(server) {}
  std::unique_ptr<TIdThread> Make() const override;

 private:
  TIdTCPServer& server_;
};

}  // namespace horalux
