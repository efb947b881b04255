#include "timeproto/time_server.h"

#include "timeproto/time_value.h"

namespace horalux {

TIdTimeServer::TIdTimeServer(TComponent* owner) : TIdTCPServer(owner) { SetDefaultPort(37); }

TIdTimeServer::~TIdTimeServer() { StopServing(); }

bool TIdTimeServer::ServeConnection(TIdPeerThread& peer) {
  TIdTCPServerConnection& connection = peer.Connection();
  connection.WriteUInt32(DateTimeToTimeValue(LocalClock(), BaseDate), true);
  connection.CloseConnection();
  return true;
}

}  // namespace horalux
