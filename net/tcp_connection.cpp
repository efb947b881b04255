#include "net/tcp_connection.h"

#include <cstring>

#include "net/anti_freeze.h"
#include "stack/exceptions.h"
#include "stack/messages.h"
#include "stack/wsa_codes.h"

namespace horalux {

TIdTCPConnection::TIdTCPConnection(TComponent* owner) : TIdComponent(owner) {}

TIdTCPConnection::~TIdTCPConnection() { TIdTCPConnection::CloseSocketOnly(); }

void TIdTCPConnection::SetIOHandler(TIdIOHandler* handler) {
  if (ioHandler_ != nullptr) RemoveFreeNotification(ioHandler_);
  ioHandler_ = handler;
  if (handler != nullptr) FreeNotification(handler);
}

void TIdTCPConnection::SetIntercept(TIdConnectionIntercept* intercept) {
  if (intercept_ != nullptr) RemoveFreeNotification(intercept_);
  intercept_ = intercept;
  if (intercept != nullptr) FreeNotification(intercept);
}

void TIdTCPConnection::Notification(TComponent* component, TOperation operation) {
  TIdComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == ioHandler_) {
    ioHandler_ = nullptr;
    ownsIOHandler_ = false;
  }
  if (component == intercept_) intercept_ = nullptr;
}

void TIdTCPConnection::FireDisconnected() {
  if (OnDisconnected) OnDisconnected(*this);
}

void TIdTCPConnection::ResetInputState() {
  inputBuffer_.Clear();
  closedGracefully_.store(false);
}

std::int32_t TIdTCPConnection::ReceiveChunk(bool raiseIfDisconnected, std::int32_t timeout,
                                            bool raiseOnTimeout) {
  if (timeout == UseDefaultTimeout) timeout = ReadTimeout == 0 ? WaitForever : ReadTimeout;
  DetectDisconnect(raiseIfDisconnected, false);
  if (!IsConnected()) return 0;
  if (!ioHandler_->WaitReadable(timeout)) {
    if (raiseOnTimeout) throw EIdReadTimeout(Messages().ReadTimeout);
    return -1;
  }
  const std::int32_t n = ReceiveIntoBuffer();
  DetectDisconnect(raiseIfDisconnected, false);
  return n;
}

std::int32_t TIdTCPConnection::ReceiveIntoBuffer() {
  recvChunk_.SetSize(RecvBufferSize);
  std::int32_t n = ioHandler_->ReceiveSome(recvChunk_.Memory(), recvChunk_.Size());
  closedGracefully_.store(n == 0);
  if (n != 0) {
    TIdStack& stack = SharedStack();
    if (stack.VerifySocketResult(n, {Id_WSAESHUTDOWN, Id_WSAECONNABORTED})) {
      // The socket is gone under us: a close, an error only when nothing is left to read.
      n = 0;
      CloseSocketOnly();
      if (inputBuffer_.Size() == 0) stack.ThrowSocketError(stack.lastSocketError());
    }
  }
  if (n > 0) {
    recvChunk_.SetSize(n);
    if (intercept_ != nullptr) {
      recvChunk_.Position = 0;
      intercept_->Receive(recvChunk_);
    }
    if (ASCIIFilter) {
      for (std::int32_t i = 0; i < n; ++i) recvChunk_.Memory()[i] &= 0x7f;
    }
    inputBuffer_.Append(recvChunk_.Memory(), n);
  }
  return n;
}

void TIdTCPConnection::DetectDisconnect(bool raiseIfDisconnected, bool ignoreBuffer) {
  bool disconnected;
  if (closedGracefully_.load() || ioHandler_ == nullptr) {
    if (ioHandler_ != nullptr && ioHandler_->IsOpen()) {
      CloseSocketOnly();
      ReportStatus(StatusDisconnected);
      FireDisconnected();
    }
    disconnected = ioHandler_ != nullptr;
  } else {
    disconnected = !ioHandler_->IsOpen();
  }
  if (disconnected && raiseIfDisconnected && (inputBuffer_.Size() == 0 || ignoreBuffer)) {
    throw EIdConnClosedGracefully(Messages().ConnectionClosedGracefully);
  }
}

bool TIdTCPConnection::IsConnected() {
  DetectDisconnect(false, false);
  return ioHandler_ != nullptr && ioHandler_->IsOpen();
}

void TIdTCPConnection::ConsumeInput(std::int32_t count) {
  if (count > inputBuffer_.Size()) {
    throw EIdNotEnoughDataInBuffer(Messages().NotEnoughDataInBuffer);
  }
  if (count <= 0) return;
  inputBuffer_.RemoveFront(count);
  AddWork(WorkRead, count);
}

void TIdTCPConnection::ReadExact(void* destination, std::int32_t count) {
  if (count <= 0 || destination == nullptr) return;
  while (InputByteCount() < count) {
    ReceiveChunk(true, UseDefaultTimeout, true);
    DetectDisconnect(true, true);
  }
  std::memcpy(destination, inputBuffer_.Memory(), static_cast<std::size_t>(count));
  ConsumeInput(count);
}

std::uint32_t TIdTCPConnection::ReadUInt32(bool convert) {
  std::uint32_t value = 0;
  ReadExact(&value, sizeof value);
  return convert ? SharedStack().NetToHost32(value) : value;
}

void TIdTCPConnection::WriteUInt32(std::uint32_t value, bool convert) {
  if (convert) value = SharedStack().HostToNet32(value);
  SendRaw(&value, sizeof value, false);
}

void TIdTCPConnection::WriteInt32(std::int32_t value, bool convert) {
  WriteUInt32(static_cast<std::uint32_t>(value), convert);
}

void TIdTCPConnection::SendRaw(const void* source, std::int32_t count, bool writeNow) {
  (void)writeNow;
  if (count <= 0 || source == nullptr) return;
  DetectDisconnect(true, true);
  TIdBuffer outgoing;
  outgoing.Append(source, count);
  if (intercept_ != nullptr) {
    outgoing.Position = 0;
    intercept_->Send(outgoing);
  }
  std::int32_t position = 0;
  while (position < outgoing.Size()) SendPiece(outgoing, position);
}

void TIdTCPConnection::SendPiece(TIdBuffer& buffer, std::int32_t& position) {
  const std::int32_t sent =
      ioHandler_->SendSome(buffer.Memory() + position, buffer.Size() - position);
  TIdAntiFreezeBase::RunIdleStep(false, false);
  closedGracefully_.store(sent == 0);
  DetectDisconnect(true, false);
  TIdStack& stack = SharedStack();
  if (stack.VerifySocketResult(sent, {Id_WSAESHUTDOWN, Id_WSAECONNABORTED, Id_WSAECONNRESET})) {
    CloseSocketOnly();
    // The code the send failed with: closing a reset socket fails again and would leave
    // "not connected" as the thread's last error.
    stack.ThrowSocketError(stack.lastSocketError());
  }
  AddWork(WorkWrite, sent);
  position += sent;
}

void TIdTCPConnection::CloseSocketOnly() {
  if (ioHandler_ == nullptr) return;
  closedGracefully_.store(true);
  if (intercept_ != nullptr) intercept_->Disconnect();
  ioHandler_->Shut();
}

void TIdTCPConnection::CloseConnection() {
  ReportStatus(StatusDisconnecting);
  CloseSocketOnly();
  if (ownsIOHandler_) {
    ownsIOHandler_ = false;
    TIdIOHandler* handler = ioHandler_;
    SetIOHandler(nullptr);
    TComponent::Free(handler);
  }
  FireDisconnected();
  ReportStatus(StatusDisconnected);
}

}  // namespace horalux
