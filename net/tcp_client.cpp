#include "net/tcp_client.h"

#include "net/io_handler_socket.h"
#include "stack/exceptions.h"
#include "stack/messages.h"

namespace horalux {

void TIdTCPClient::FireConnected() {
  if (OnConnected) OnConnected(*this);
}

void TIdTCPClient::OpenConnection(int timeout) {
  if (IOHandler() == nullptr) {
    auto& handler = MakeComponent<TIdIOHandlerSocket>(*this);
    handler.OnStatus = OnStatus;
    SetIOHandler(&handler);
    SetOwnsIOHandler(true);
  } else if (IOHandler()->IsOpen()) {
    throw EIdAlreadyConnected(Messages().AlreadyConnected);
  }
  try {
    IOHandler()->Prepare();
    ResetInputState();
    IOHandler()->ConnectTo(Host, Port, BoundIP, BoundPort, portRangeLow, portRangeHigh, timeout);
    if (Intercept() != nullptr) Intercept()->Connect(*this);
    ReportStatus(StatusConnected, {Host});
    FireConnected();
  } catch (...) {
    // The self-made handler stays attached: the next attempt reuses it.
    CloseSocketOnly();
    throw;
  }
}

std::string TIdTCPClient::FetchAllText() {
  OpenConnection(UseDefaultTimeout);
  std::string text;
  try {
    text = ReadAllText();
  } catch (...) {
    CloseConnection();
    throw;
  }
  CloseConnection();
  return text;
}

}  // namespace horalux
