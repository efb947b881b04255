#include "net/connect_thread.h"

#include <exception>

#include "net/id_component.h"
#include "stack/wsa_codes.h"

namespace horalux {

TIdConnectThread::~TIdConnectThread() { WaitFor(); }

void TIdConnectThread::Start() {
  thread_ = std::thread([this] { Execute(); });
}

void TIdConnectThread::WaitFor() {
  if (thread_.joinable()) thread_.join();
}

void TIdConnectThread::Execute() noexcept {
  try {
    // A socket closed under the connect by the giving-up caller is no failure of its own.
    SharedStack().VerifySocketResult(handle_.ConnectPeer(Id_AF_INET),
                                     {Id_WSAEBADF, Id_WSAENOTSOCK});
  } catch (const std::exception& error) {
    failureText_ = error.what();
  } catch (...) {
    failureText_ = "Unknown error.";
  }
  finished_.store(true, std::memory_order_release);
}

}  // namespace horalux
