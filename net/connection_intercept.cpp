#include "net/connection_intercept.h"

namespace horalux {

void TIdConnectionIntercept::Connect(TIdTCPConnection& connection) {
  connection_ = &connection;
  if (OnConnect) OnConnect(*this);
}

void TIdConnectionIntercept::Disconnect() {
  if (OnDisconnect) OnDisconnect(*this);
  connection_ = nullptr;
}

void TIdConnectionIntercept::Receive(TIdBuffer& stream) {
  if (OnReceive) OnReceive(*this, stream);
}

void TIdConnectionIntercept::Send(TIdBuffer& stream) {
  if (OnSend) OnSend(*this, stream);
}

}  // namespace horalux
