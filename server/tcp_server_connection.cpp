#include "server/tcp_server_connection.h"

#include "net/io_handler_socket.h"

namespace horalux {

TIdTCPServerConnection::TIdTCPServerConnection(TIdTCPServer& server) : server_(&server) {}

TIdTCPServerConnection::~TIdTCPServerConnection() {
  // Close and let go of the handler and intercept while this object is whole: the base
  // destructor would otherwise reach them through references this class cleared.
  CloseSocketOnly();
  SetIOHandler(nullptr);
  SetIntercept(nullptr);
}

void TIdTCPServerConnection::AttachIOHandler(std::unique_ptr<TIdIOHandler> handler) {
  SetIOHandler(handler.get());
  auto* socketHandler = dynamic_cast<TIdIOHandlerSocket*>(handler.get());
  binding_ = socketHandler != nullptr ? socketHandler->Binding() : nullptr;
  ownHandler_ = std::move(handler);
}

void TIdTCPServerConnection::AttachIntercept(std::unique_ptr<TIdConnectionIntercept> intercept) {
  SetIntercept(intercept.get());
  ownIntercept_ = std::move(intercept);
  if (ownIntercept_) ownIntercept_->Connect(*this);
}

}  // namespace horalux
