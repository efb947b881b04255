// Server I/O handlers turn a listening socket's next connection into a connected I/O
// handler for the peer's connection. TIdServerIOHandlerSocket does it with a socket I/O
// handler of its own per connection.
//
// Thread-safety: AcceptPeer keeps no state between calls; every listener thread of a
// server calls it at the same time. PrepareHandler runs on the activating thread.
#pragma once

#include <memory>

#include "net/id_component.h"
#include "net/io_handler.h"
#include "stack/stack.h"

namespace horalux {

class TIdServerIOHandler : public TIdComponent {
 public:
  using TIdComponent::TIdComponent;

  // Called once at each activation of the server.
  virtual void PrepareHandler() {}

  // Blocks until a client connects to `listeningSocket` and returns the connected handler
  // (owned by the caller), or null when no connection was made. The base makes none.
  virtual std::unique_ptr<TIdIOHandler> AcceptPeer(TIdStackSocketHandle listeningSocket);
};

class TIdServerIOHandlerSocket : public TIdServerIOHandler {
 public:
  using TIdServerIOHandler::TIdServerIOHandler;

  // Null when the listening socket was closed under the wait (how a server stops its
  // listeners). Throws EIdSocketError for any other failure of accept.
  std::unique_ptr<TIdIOHandler> AcceptPeer(TIdStackSocketHandle listeningSocket) override;
};

}  // namespace horalux
