#include "stack/stack_win32.h"

#include <winsock2.h>

#include <cstring>

#include "stack/address_text.h"
#include "stack/exceptions.h"
#include "base/format.h"
#include "stack/messages.h"
#include "stack/winsock_library_win32.h"

namespace horalux {

std::string WinsockLibraryName = "wsock32.dll";

namespace {

using winsock::Calls;

SOCKET Native(TIdStackSocketHandle socket) { return static_cast<SOCKET>(socket); }

// The text of a fixed-size field of the start-up record, up to its first NUL.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

std::unique_ptr<TIdStackVersion> VersionOf(const WSADATA& data) {
  auto version = std::make_unique<TIdStackVersion>();
  version->maxDatagramBytes = data.iMaxUdpDg;
  version->socketLimit = data.iMaxSockets;
  version->highestVersion = data.wHighVersion;
  version->grantedVersion = data.wVersion;
  version->descriptionText = FieldText(data.szDescription);
  version->statusText = FieldText(data.szSystemStatus);
  version->stackName = Messages().WinsockStackName;
  return version;
}

sockaddr_in MakeAddress(TIdStack& stack, int family, int port, const std::string& address) {
  sockaddr_in record{};
  record.sin_family = static_cast<short>(family);
  record.sin_port = Calls().htons(static_cast<u_short>(port));
  record.sin_addr.s_addr = address.empty() ? 0 : stack.AddressValueOf(address);
  return record;
}

void ReadAddress(const sockaddr_in& record, int& port, std::string& address) {
  TIdAddressBytes bytes{};
  static_assert(sizeof bytes == sizeof record.sin_addr);
  std::memcpy(bytes.data(), &record.sin_addr, sizeof bytes);
  address = AddressBytesToText(bytes);
  port = Calls().ntohs(record.sin_port);
}

void NameOf(TIdStack& stack, TIdStackSocketHandle socket, bool peer, int& family, int& port,
            std::string& address) {
  sockaddr_in record{};
  int length = sizeof record;
  auto* raw = reinterpret_cast<sockaddr*>(&record);
  const int result = peer ? Calls().getpeername(Native(socket), raw, &length)
                          : Calls().getsockname(Native(socket), raw, &length);
  stack.VerifySocketResult(result);
  family = record.sin_family;
  ReadAddress(record, port, address);
}

}  // namespace

std::unique_ptr<TIdStack> MakePlatformStack() { return std::make_unique<TIdStackWinsock>(); }

TIdStackWinsock::TIdStackWinsock() {
  if (!winsock::Load(WinsockLibraryName)) {
    throw EIdStackCanNotLoadWinsock(Fmt(Messages().StackCanNotLoad, {WinsockLibraryName}));
  }
  WSADATA data{};
  if (Calls().WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    winsock::Unload();
    throw EIdStackInitializationFailed(Messages().StackInitializationFailed);
  }
  versionInfo = VersionOf(data);
}

TIdStackWinsock::~TIdStackWinsock() {
  // Nothing blocks in the WinSock 1 sense any more; the call only keeps the old order.
  Calls().WSACancelBlockingCall();
  Calls().WSACleanup();
  winsock::Unload();
}

TIdStackSocketHandle TIdStackBSDBase::SockAccept(TIdStackSocketHandle socket, std::string& address,
                                                 int& port) {
  sockaddr_in record{};
  int length = sizeof record;
  const SOCKET accepted =
      Calls().accept(Native(socket), reinterpret_cast<sockaddr*>(&record), &length);
  if (accepted == INVALID_SOCKET) return Id_INVALID_SOCKET;
  ReadAddress(record, port, address);
  return static_cast<TIdStackSocketHandle>(accepted);
}

int TIdStackBSDBase::SockBind(TIdStackSocketHandle socket, int family, int port,
                              const std::string& address) {
  const sockaddr_in record = MakeAddress(*this, family, port, address);
  return Calls().bind(Native(socket), reinterpret_cast<const sockaddr*>(&record), sizeof record);
}

int TIdStackBSDBase::SockClose(TIdStackSocketHandle socket) {
  return Calls().closesocket(Native(socket));
}

int TIdStackBSDBase::SockConnect(TIdStackSocketHandle socket, int family, int port,
                                 const std::string& address) {
  const sockaddr_in record = MakeAddress(*this, family, port, address);
  return Calls().connect(Native(socket), reinterpret_cast<const sockaddr*>(&record), sizeof record);
}

std::uint16_t TIdStackBSDBase::HostToNet16(std::uint16_t value) { return Calls().htons(value); }
std::uint16_t TIdStackBSDBase::NetToHost16(std::uint16_t value) { return Calls().ntohs(value); }
std::uint32_t TIdStackBSDBase::HostToNet32(std::uint32_t value) { return Calls().htonl(value); }
std::uint32_t TIdStackBSDBase::NetToHost32(std::uint32_t value) { return Calls().ntohl(value); }

int TIdStackBSDBase::SockListen(TIdStackSocketHandle socket, int queueLength) {
  return Calls().listen(Native(socket), queueLength);
}

int TIdStackBSDBase::SockReceive(TIdStackSocketHandle socket, void* buffer, int length, int flags) {
  return Calls().recv(Native(socket), static_cast<char*>(buffer), length, flags);
}

int TIdStackBSDBase::SockReceiveFrom(TIdStackSocketHandle socket, void* buffer, int length,
                                     int flags, std::string& address, int& port) {
  sockaddr_in record{};
  int recordLength = sizeof record;
  const int result = Calls().recvfrom(Native(socket), static_cast<char*>(buffer), length, flags,
                                      reinterpret_cast<sockaddr*>(&record), &recordLength);
  if (result != SOCKET_ERROR) ReadAddress(record, port, address);
  return result;
}

int TIdStackBSDBase::SockSend(TIdStackSocketHandle socket, const void* buffer, int length,
                              int flags) {
  return Calls().send(Native(socket), static_cast<const char*>(buffer), length, flags);
}

int TIdStackBSDBase::SockSendTo(TIdStackSocketHandle socket, const void* buffer, int length,
                                int flags, const std::string& address, int port) {
  const sockaddr_in record = MakeAddress(*this, AF_INET, port, address);
  return Calls().sendto(Native(socket), static_cast<const char*>(buffer), length, flags,
                        reinterpret_cast<const sockaddr*>(&record), sizeof record);
}

// Option levels and names are WinSock's own numbers already.
int TIdStackBSDBase::SockSetOption(TIdStackSocketHandle socket, int level, int option,
                                   const void* value, int length) {
  return Calls().setsockopt(Native(socket), level, option, static_cast<const char*>(value), length);
}

int TIdStackBSDBase::SockGetOption(TIdStackSocketHandle socket, int level, int option, void* value,
                                   int& length) {
  return Calls().getsockopt(Native(socket), level, option, static_cast<char*>(value), &length);
}

TIdStackSocketHandle TIdStackBSDBase::SockCreate(int family, int type, int protocol) {
  const SOCKET created = Calls().socket(family, type, protocol);
  return created == INVALID_SOCKET ? Id_INVALID_SOCKET : static_cast<TIdStackSocketHandle>(created);
}

int TIdStackBSDBase::SockShutdown(TIdStackSocketHandle socket, int direction) {
  return Calls().shutdown(Native(socket), direction);
}

int TIdStackBSDBase::SockLastError() { return winsock::LastError(); }

void TIdStackBSDBase::SockPeerName(TIdStackSocketHandle socket, int& family, int& port,
                                   std::string& address) {
  NameOf(*this, socket, true, family, port, address);
}

void TIdStackBSDBase::SockLocalName(TIdStackSocketHandle socket, int& family, int& port,
                                    std::string& address) {
  NameOf(*this, socket, false, family, port, address);
}

}  // namespace horalux
