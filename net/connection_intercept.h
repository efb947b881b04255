// TIdConnectionIntercept: an optional hook told of a connection's connect and disconnect
// and of the bytes it receives and sends (for logging or transforming them).
#pragma once

#include <functional>

#include "base/component.h"
#include "net/buffer.h"

namespace horalux {

class TIdTCPConnection;

class TIdConnectionIntercept : public TIdBaseComponent {
 public:
  using TStreamEvent = std::function<void(TComponent& sender, TIdBuffer& stream)>;

  using TIdBaseComponent::TIdBaseComponent;

  TNotifyEvent OnConnect;
  TNotifyEvent OnDisconnect;
  TStreamEvent OnReceive;
  TStreamEvent OnSend;

  // Remembers the connection and fires OnConnect.
  virtual void Connect(TIdTCPConnection& connection);
  // Fires OnDisconnect and forgets the connection.
  virtual void Disconnect();
  virtual void Receive(TIdBuffer& stream);
  virtual void Send(TIdBuffer& stream);

  TIdTCPConnection* Connection() const noexcept { return connection_; }

 private:
  TIdTCPConnection* connection_ = nullptr;
};

}  // namespace horalux
