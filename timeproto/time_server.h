// TIdTimeServer: serves the Time Protocol (RFC 868) over TCP. Every client that connects
// gets the current time as one 32-bit count of seconds since BaseDate, most significant
// byte first, and the connection is closed; nothing is read from the client. Listening,
// the peer threads, MaxConnections and shutting down are the TCP server's.
//
// Thread-safety: as TIdTCPServer. BaseDate and LocalClock are configuration, read by the
// peer threads while active; LocalClock must be callable from several threads at once.
#pragma once

#include <functional>

#include "base/date_time.h"
#include "server/tcp_server.h"
#include "timeproto/time_value.h"

namespace horalux {

class TIdTimeServer : public TIdTCPServer {
 public:
  // DefaultPort 37, BaseDate 1900-01-01.
  explicit TIdTimeServer(TComponent* owner = nullptr);
  ~TIdTimeServer() override;

  TDateTime BaseDate = kRfc868BaseDate;
  // The local clock the answers are taken from; tests put a fake here.
  std::function<TDateTime()> LocalClock = &Now;

 protected:
  // Writes the value of LocalClock's moment and closes the connection. Throws the
  // connection's write errors and what the time zone lookup throws (nothing is written
  // then).
  bool ServeConnection(TIdPeerThread& peer) override;
};

}  // namespace horalux
