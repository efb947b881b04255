// TIdIOHandlerSocket: the socket work of one connection over one TIdSocketHandle, and the
// timed connect, which runs the connect on a thread of its own while the calling thread
// sleeps in short slices (with idle steps on the main thread) and gives up after a limit.
//
// Thread-safety: used by one thread at a time. During a timed connect the connect thread
// touches only the socket handle; the caller closes the socket only after asking the
// thread to stop, and waits for it before the handle is used again.
#pragma once

#include <memory>

#include "net/io_handler.h"
#include "net/socks_info.h"
#include "stack/socket_handle.h"

namespace horalux {

class TIdIOHandlerSocket : public TIdIOHandler {
 public:
  explicit TIdIOHandlerSocket(TComponent* owner = nullptr);
  ~TIdIOHandlerSocket() override;

  bool UseNagle = true;

  // Made on first use when none was assigned.
  TIdSocksInfo& SocksInfo();
  // An owned component is referenced (and forgotten when destroyed); an unowned one is
  // copied into the handler's own settings.
  void SetSocksInfo(TIdSocksInfo* socksInfo);

  // The socket and its bindings; null before the first Prepare.
  TIdSocketHandle* Binding() const noexcept { return socketHandle_.get(); }

  void Shut() override;
  bool IsOpen() override;
  void Prepare() override;
  // Throws EIdConnClosedGracefully when no socket is open.
  bool WaitReadable(int timeout) override;
  // Throw EIdNotConnected "Disconnected." when no socket is open.
  std::int32_t ReceiveSome(void* buffer, std::int32_t length) override;
  std::int32_t SendSome(const void* buffer, std::int32_t length) override;
  // Throws the lookup and bind errors of the stack and socket handle, EIdConnectException
  // (failure on the connect thread), EIdConnectTimeout, EIdSocketError (plain connect), or
  // EIdNotConnected when an idle step closed the socket (Shut) during a timed connect,
  // which then ends at the next slice.
  void ConnectTo(const std::string& host, int port, const std::string& boundIP, int boundPort,
                 int portRangeLow, int portRangeHigh, int timeout) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // Connects on a thread of its own within `limit` ms (WaitForever: no limit).
  void ConnectWithin(int limit);

  std::unique_ptr<TIdSocketHandle> socketHandle_;
  TIdSocksInfo* socksInfo_ = nullptr;
  std::unique_ptr<TIdSocksInfo> ownSocksInfo_;
};

}  // namespace horalux
