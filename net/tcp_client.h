// TIdTCPClient: a TCP connection that opens itself to Host:Port, making its own socket
// I/O handler when none is attached, and reports the steps as status events.
#pragma once

#include <string>

#include "net/tcp_connection.h"

namespace horalux {

class TIdTCPClient : public TIdTCPConnection {
 public:
  using TIdTCPConnection::TIdTCPConnection;

  std::string BoundIP;
  int BoundPort = 0;
  std::string Host;
  TNotifyEvent OnConnected;
  int Port = 0;

  virtual void FireConnected();
  // Connects within `timeout` ms; UseDefaultTimeout: 120 s on the main thread with an
  // active anti-freeze, otherwise a plain blocking connect.
  // Throws EIdAlreadyConnected "Already connected." when the attached handler is open, and
  // the failures of the handler's connect (its socket is closed before they leave).
  virtual void OpenConnection(int timeout = UseDefaultTimeout);
  // Connects, reads until the peer closes, disconnects (also when the read fails).
  virtual std::string FetchAllText();

 protected:
  int portRangeHigh = 0;
  int portRangeLow = 0;
};

}  // namespace horalux
