// TIdTCPServerConnection: the connection of one accepted client. It belongs to no
// component; its peer thread owns it. It owns the I/O handler the server's I/O handler
// made for it and keeps it until the connection itself is destroyed, not only until
// CloseConnection, because a stopping server may still close the socket of a connection
// that its peer is just disconnecting.
//
// Thread-safety: used by its peer thread; the stopping server may call CloseSocketOnly
// from another thread (see TIdTCPConnection).
#pragma once

#include <memory>

#include "net/connection_intercept.h"
#include "net/io_handler.h"
#include "net/tcp_connection.h"
#include "stack/socket_handle.h"

namespace horalux {

class TIdTCPServer;

class TIdTCPServerConnection : public TIdTCPConnection {
 public:
  explicit TIdTCPServerConnection(TIdTCPServer& server);
  ~TIdTCPServerConnection() override;

  TIdTCPServer& OwnerServer() const noexcept { return *server_; }

  // The accepted socket (its PeerAddress is the client's), or null when the I/O handler
  // is not a socket handler.
  TIdSocketHandle* Binding() const noexcept { return binding_; }

  // Takes the accepted handler and uses it from now on.
  void AttachIOHandler(std::unique_ptr<TIdIOHandler> handler);
  // Takes an intercept made for this connection (TIdServerIntercept::Accept) and uses it.
  void AttachIntercept(std::unique_ptr<TIdConnectionIntercept> intercept);

 private:
  TIdTCPServer* server_;
  std::unique_ptr<TIdIOHandler> ownHandler_;
  std::unique_ptr<TIdConnectionIntercept> ownIntercept_;
  TIdSocketHandle* binding_ = nullptr;
};

}  // namespace horalux
