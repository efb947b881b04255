// TIdIOHandler: performs the socket work of a connection (open, connect, wait for data,
// receive, send, close). The connection itself never touches a socket.
#pragma once

#include <cstdint>
#include <string>

#include "net/id_component.h"

namespace horalux {

class TIdIOHandler : public TIdComponent {
 public:
  using TIdComponent::TIdComponent;

  // Hook after a server accepted a connection on this handler.
  virtual void Accepted() {}
  // Closes the socket. Descendants call it from their destructor.
  virtual void Shut() {}
  // Opens a socket, binds it locally and connects it. `timeout` in ms, or UseDefaultTimeout.
  virtual void ConnectTo(const std::string& host, int port, const std::string& boundIP,
                         int boundPort, int portRangeLow, int portRangeHigh, int timeout) {
    (void)host, (void)port, (void)boundIP, (void)boundPort, (void)portRangeLow, (void)portRangeHigh,
        (void)timeout;
  }
  virtual bool IsOpen() = 0;
  // Makes ready for a new connect.
  virtual void Prepare() {}
  virtual bool WaitReadable(int timeout) = 0;
  virtual std::int32_t ReceiveSome(void* buffer, std::int32_t length) = 0;
  virtual std::int32_t SendSome(const void* buffer, std::int32_t length) = 0;
};

}  // namespace horalux
