#include "stack/socket_handle.h"

#include <algorithm>
#include <typeinfo>

#include "base/idle_processor.h"
#include "stack/exceptions.h"
#include "base/format.h"
#include "stack/messages.h"
#include "stack/shared_stack.h"
#include "stack/wsa_codes.h"

namespace horalux {
namespace {

// WSA_OPERATION_ABORTED: how Wine ends an accept whose listening socket another thread
// closed. It is that same end, not a failure to report (no errno maps to it on Linux).
constexpr int kAcceptAborted = 995;

}  // namespace

TIdSocketHandle::TIdSocketHandle(TCollection* collection) : TCollectionItem(collection) {
  ClearBinding(true);
  if (auto* handles = dynamic_cast<TIdSocketHandles*>(collection)) Port = handles->DefaultPort;
}

TIdSocketHandle::~TIdSocketHandle() { CloseBinding(); }

void TIdSocketHandle::OpenHandle(int socketType, int protocol) {
  CloseBinding();
  socketId_ = SharedStack().OpenSocket(socketType, protocol);
  hasSocket_.store(true);
}

void TIdSocketHandle::CloseBinding() {
  // exchange: the owner and a thread stopping it may close at the same moment; one wins.
  if (!hasSocket_.exchange(false)) return;
  TIdStack& stack = SharedStack();
  stack.SockShutdown(socketId_, Id_SD_SEND);
  stack.SockClose(socketId_);
}

int TIdSocketHandle::ConnectPeer(int family) {
  const int result = SharedStack().SockConnect(socketId_, family, peerPortNumber_, peerAddress_);
  if (result != Id_SOCKET_ERROR) {
    RefreshLocalBinding();
    RefreshPeerBinding();
  }
  return result;
}

int TIdSocketHandle::ReceiveDatagram(void* buffer, int length, int flags, std::string& address,
                                     int& port) {
  return SharedStack().SockReceiveFrom(socketId_, buffer, length, flags, address, port);
}

void TIdSocketHandle::BindLocal() {
  if (Port != 0 || ClientPortMin == 0 || ClientPortMax == 0) {
    if (!TryBindOnce()) throw EIdCouldNotBindSocket(Messages().CouldNotBindSocket);
    return;
  }
  if (ClientPortMin > ClientPortMax) {
    throw EIdInvalidPortRange(Fmt(Messages().InvalidPortRange, {ClientPortMin, ClientPortMax}));
  }
  if (!BindInPortRange()) {
    throw EIdCanNotBindPortInRange(
        Fmt(Messages().CanNotBindInPortRange, {ClientPortMin, ClientPortMax}));
  }
}

bool TIdSocketHandle::TryBindOnce() {
  TIdStack& stack = SharedStack();
  const int result = stack.SockBind(socketId_, Id_AF_INET, Port, IP);
  if (stack.VerifySocketResult(result, {Id_WSAEADDRINUSE})) return false;
  RefreshLocalBinding();
  return true;
}

bool TIdSocketHandle::BindInPortRange() {
  if (ClientPortMax < ClientPortMin) return false;
  for (int port = ClientPortMax; port >= ClientPortMin; --port) {
    Port = port;
    if (TryBindOnce()) return true;
  }
  return false;
}

void TIdSocketHandle::StartListening(int queueLength) {
  TIdStack& stack = SharedStack();
  stack.VerifySocketResult(stack.SockListen(socketId_, queueLength));
}

bool TIdSocketHandle::AcceptFrom(TIdStackSocketHandle listeningSocket) {
  ClearBinding(true);
  TIdStack& stack = SharedStack();
  std::string address;
  int port = 0;
  const TIdStackSocketHandle accepted = stack.SockAccept(listeningSocket, address, port);
  const std::int64_t result = accepted == Id_INVALID_SOCKET ? Id_SOCKET_ERROR : 0;
  if (stack.VerifySocketResult(result, {Id_WSAEINTR, Id_WSAENOTSOCK, kAcceptAborted})) {
    return false;
  }
  socketId_ = accepted;
  hasSocket_.store(true);
  RefreshLocalBinding();
  // accept() has told who the peer is already; asking again would cost every connection a
  // system call and tell the same.
  SetPeerAddress(address, port);
  return true;
}

bool TIdSocketHandle::PollReadable(int timeout) {
  if (!HasSocket()) throw EIdConnClosedGracefully(Messages().ConnectionClosedGracefully);
  if (!TIdleProcessor::Applies()) return WaitOnce(timeout);
  const int slice = std::max(1, TIdleProcessor::Slice());
  if (timeout == WaitForever) {
    while (!WaitOnce(slice)) {
    }
    return true;
  }
  if (timeout <= slice) return WaitOnce(timeout);
  // The odd part first, then whole slices: 1100 ms in 250 ms slices is 100 + 4 x 250.
  const int first = (timeout - 1) % slice + 1;
  if (WaitOnce(first)) return true;
  for (int slices = (timeout - first) / slice; slices > 0; --slices) {
    if (WaitOnce(slice)) return true;
  }
  return false;
}

bool TIdSocketHandle::WaitOnce(int timeout) {
  TIdSocketList readList{socketId_};
  const bool readable = SharedStack().SockWait(&readList, nullptr, timeout, nullptr) == 1;
  TIdleProcessor::RunStep(!readable, false);
  return readable;
}

int TIdSocketHandle::ReceiveInto(void* buffer, int length, int flags) {
  return SharedStack().SockReceive(socketId_, buffer, length, flags);
}

int TIdSocketHandle::SendFrom(const void* buffer, int length, int flags) {
  return SharedStack().SockSend(socketId_, buffer, length, flags);
}

void TIdSocketHandle::SetOption(int level, int option, const void* value, int length) {
  TIdStack& stack = SharedStack();
  stack.VerifySocketResult(stack.SockSetOption(socketId_, level, option, value, length));
}

void TIdSocketHandle::SetPeerAddress(const std::string& address, int port) {
  peerAddress_ = address;
  peerPortNumber_ = port;
}

void TIdSocketHandle::ClearBinding(bool includeLocal) {
  hasSocket_.store(false);
  socketId_ = Id_INVALID_SOCKET;
  if (includeLocal) {
    IP.clear();
    Port = 0;
  }
  peerAddress_.clear();
  peerPortNumber_ = 0;
}

void TIdSocketHandle::RefreshLocalBinding() {
  int family = 0;
  SharedStack().SockLocalName(socketId_, family, Port, IP);
}

void TIdSocketHandle::RefreshPeerBinding() {
  int family = 0;
  SharedStack().SockPeerName(socketId_, family, peerPortNumber_, peerAddress_);
}

void TIdSocketHandle::CopyBinding(const TIdSocketHandle& source) {
  IP = source.IP;
  Port = source.Port;
  peerAddress_ = source.peerAddress_;
  peerPortNumber_ = source.peerPortNumber_;
}

void TIdSocketHandle::Assign(const TCollectionItem& source) {
  if (typeid(source) == typeid(*this)) {
    CopyBinding(static_cast<const TIdSocketHandle&>(source));
  } else {
    TCollectionItem::Assign(source);
  }
}

TIdSocketHandle& TIdSocketHandles::AddBinding() {
  TIdSocketHandle& binding = Add<TIdSocketHandle>();
  binding.Port = DefaultPort;
  return binding;
}

TIdSocketHandle& TIdSocketHandles::BindingAt(std::size_t index) const {
  return static_cast<TIdSocketHandle&>(Item(index));
}

}  // namespace horalux
