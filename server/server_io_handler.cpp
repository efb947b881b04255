#include "server/server_io_handler.h"

#include "net/io_handler_socket.h"

namespace horalux {

std::unique_ptr<TIdIOHandler> TIdServerIOHandler::AcceptPeer(TIdStackSocketHandle listeningSocket) {
  (void)listeningSocket;
  return nullptr;
}

std::unique_ptr<TIdIOHandler> TIdServerIOHandlerSocket::AcceptPeer(
    TIdStackSocketHandle listeningSocket) {
  auto handler = std::make_unique<TIdIOHandlerSocket>();
  handler->Prepare();
  if (!handler->Binding()->AcceptFrom(listeningSocket)) return nullptr;
  return handler;
}

}  // namespace horalux
