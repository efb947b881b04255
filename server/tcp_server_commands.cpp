// The server's default serving: command handlers for line protocols, else OnExecute.
#include <exception>
#include <string>

#include "server/tcp_server.h"
#include "stack/exceptions.h"
#include "stack/messages.h"

namespace horalux {

bool TIdTCPServer::ServeConnection(TIdPeerThread& peer) {
  if (!CommandHandlersEnabled || commandHandlers_.Count() == 0) {
    if (!OnExecute) return false;
    OnExecute(peer);
    return true;
  }
  TIdTCPServerConnection& connection = peer.Connection();
  while (connection.IsConnected()) {
    const std::string line = connection.ReadLine();
    try {
      if (OnBeforeCommandHandler) OnBeforeCommandHandler(*this, line, peer);
      if (!RouteLine(peer, line)) NoCommandHandler(peer, line);
    } catch (...) {
      if (OnAfterCommandHandler) OnAfterCommandHandler(*this, peer);
      throw;
    }
    if (OnAfterCommandHandler) OnAfterCommandHandler(*this, peer);
  }
  return true;
}

bool TIdTCPServer::RouteLine(TIdPeerThread& peer, const std::string& line) {
  for (std::size_t i = 0; i < commandHandlers_.Count(); ++i) {
    TIdCommandHandler& handler = commandHandlers_.Items(i);
    if (handler.Enabled && handler.RouteCommand(line, peer)) return true;
  }
  return false;
}

void TIdTCPServer::NoCommandHandler(TIdPeerThread& peer, const std::string& line) {
  if (OnNoCommandHandler) {
    OnNoCommandHandler(*this, line, peer);
  } else if (ReplyUnknownCommand.HasContent()) {
    WriteReply(peer.Connection(), ReplyUnknownCommand);
  } else {
    throw EIdTCPServerError(Messages().NoCommandHandlerFound);
  }
}

}  // namespace horalux
