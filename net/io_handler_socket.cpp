#include "net/io_handler_socket.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "net/anti_freeze.h"
#include "net/connect_thread.h"
#include "stack/exceptions.h"
#include "stack/messages.h"

namespace horalux {
namespace {

constexpr int kConnectSlice = 125;
constexpr int kMainThreadConnectLimit = 120000;

void Sleep(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int ConnectSlice() {
  if (!TIdAntiFreezeBase::IdleProcessingApplies()) return kConnectSlice;
  return std::clamp(TIdAntiFreezeBase::Current()->IdleTimeOut, 1, kConnectSlice);
}

// Sleeps in slices with an idle step after each until the thread finished or the limit
// passed; a finish is noticed at the end of the slice it happened in.
void AwaitConnect(const TIdConnectThread& thread, int limit) {
  const int slice = ConnectSlice();
  if (limit == WaitForever) {
    while (!thread.Finished()) {
      Sleep(slice);
      TIdAntiFreezeBase::RunIdleStep(true, false);
    }
    return;
  }
  int remaining = std::max(0, limit);
  while (slice < remaining) {
    Sleep(slice);
    remaining -= slice;
    TIdAntiFreezeBase::RunIdleStep(true, false);
    if (thread.Finished()) {
      remaining = 0;
      break;
    }
  }
  Sleep(remaining);
}

}  // namespace

TIdIOHandlerSocket::TIdIOHandlerSocket(TComponent* owner) : TIdIOHandler(owner) {}

TIdIOHandlerSocket::~TIdIOHandlerSocket() {
  TIdIOHandlerSocket::Shut();
  socketHandle_.reset();
  SetSocksInfo(nullptr);
}

TIdSocksInfo& TIdIOHandlerSocket::SocksInfo() {
  if (socksInfo_ == nullptr) {
    ownSocksInfo_ = std::make_unique<TIdSocksInfo>();
    socksInfo_ = ownSocksInfo_.get();
  }
  return *socksInfo_;
}

void TIdIOHandlerSocket::SetSocksInfo(TIdSocksInfo* socksInfo) {
  if (socksInfo_ != nullptr && socksInfo_ != ownSocksInfo_.get()) {
    RemoveFreeNotification(socksInfo_);
  }
  socksInfo_ = nullptr;
  if (socksInfo == nullptr) {
    ownSocksInfo_.reset();
  } else if (socksInfo->Owner() != nullptr) {
    ownSocksInfo_.reset();
    socksInfo_ = socksInfo;
    FreeNotification(socksInfo);
  } else {
    SocksInfo().Assign(*socksInfo);
  }
}

void TIdIOHandlerSocket::Notification(TComponent* component, TOperation operation) {
  TIdIOHandler::Notification(component, operation);
  if (operation == TOperation::opRemove && component == socksInfo_) socksInfo_ = nullptr;
}

void TIdIOHandlerSocket::Shut() {
  if (socketHandle_) socketHandle_->CloseBinding();
}

bool TIdIOHandlerSocket::IsOpen() { return socketHandle_ && socketHandle_->HasSocket(); }

void TIdIOHandlerSocket::Prepare() {
  if (socketHandle_) {
    socketHandle_->ClearBinding(true);
  } else {
    socketHandle_ = std::make_unique<TIdSocketHandle>();
  }
}

bool TIdIOHandlerSocket::WaitReadable(int timeout) {
  if (!socketHandle_) throw EIdConnClosedGracefully(Messages().ConnectionClosedGracefully);
  return socketHandle_->PollReadable(timeout);
}

std::int32_t TIdIOHandlerSocket::ReceiveSome(void* buffer, std::int32_t length) {
  if (!IsOpen()) throw EIdNotConnected(Messages().NotConnected);
  return socketHandle_->ReceiveInto(buffer, length, 0);
}

std::int32_t TIdIOHandlerSocket::SendSome(const void* buffer, std::int32_t length) {
  if (!IsOpen()) throw EIdNotConnected(Messages().NotConnected);
  return socketHandle_->SendFrom(buffer, length, 0);
}

void TIdIOHandlerSocket::ConnectTo(const std::string& host, int port, const std::string& boundIP,
                                   int boundPort, int portRangeLow, int portRangeHigh,
                                   int timeout) {
  // Proxies are never configured in this program: with the default svNoSocks a connection
  // goes directly to its host, and that is the only road built.
  SocksInfo();
  if (!socketHandle_) Prepare();
  socketHandle_->OpenHandle(Id_SOCK_STREAM, 0);
  socketHandle_->IP = boundIP;
  socketHandle_->Port = boundPort;
  socketHandle_->ClientPortMin = portRangeLow;
  socketHandle_->ClientPortMax = portRangeHigh;
  socketHandle_->BindLocal();
  if (!TIdStack::IsDottedQuad(host)) ReportStatus(StatusResolving, {host});
  socketHandle_->SetPeerAddress(SharedStack().LookupHostAddress(host), port);
  if (!UseNagle) {
    const std::int32_t on = 1;
    socketHandle_->SetOption(Id_IPPROTO_TCP, Id_TCP_NODELAY, &on, sizeof on);
  }
  ReportStatus(StatusConnecting, {socketHandle_->PeerAddress()});
  if (timeout != UseDefaultTimeout) {
    ConnectWithin(timeout);
  } else if (TIdAntiFreezeBase::IdleProcessingApplies()) {
    ConnectWithin(kMainThreadConnectLimit);
  } else {
    SharedStack().VerifySocketResult(socketHandle_->ConnectPeer(Id_AF_INET));
  }
}

void TIdIOHandlerSocket::ConnectWithin(int limit) {
  TIdConnectThread thread(*socketHandle_);
  thread.Start();
  try {
    AwaitConnect(thread, limit);
  } catch (...) {
    // An idle step failed: do not leave the connect running behind the caller's back.
    thread.Terminate();
    Shut();
    throw;
  }
  if (thread.Finished()) {
    // Closed under the connect by an idle step (a quit request ending a run): no connection
    // came of it, whatever the thread saw (shutting the socket down before closing it may
    // fail the connect with a reset first).
    if (!IsOpen()) throw EIdNotConnected(Messages().NotConnected);
    if (!thread.FailureText().empty()) throw EIdConnectException(thread.FailureText());
    return;
  }
  thread.Terminate();
  Shut();  // the pending connect fails once its socket is closed
  thread.WaitFor();
  throw EIdConnectTimeout(Messages().ConnectTimeout);
}

}  // namespace horalux
