#include "stack/stack_posix.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "stack/address_text.h"
#include "stack/messages.h"
#include "stack/native_error_posix.h"
#include "stack/socket_table_posix.h"
#include "stack/wsa_codes.h"

namespace horalux {
namespace {

using posix::Sockets;

int Fail(int wsaCode) {
  posix::SetLastError(wsaCode);
  return Id_SOCKET_ERROR;
}

// Records the failure of a call that was made under `use`: a socket that another thread
// closed meanwhile reports Id_WSAENOTSOCK, as a WinSock call cut short by closesocket does.
void RecordFailure(const posix::SocketTable::Use& use) {
  const int error = errno;
  posix::SetLastError(use.ClosedMeanwhile() ? Id_WSAENOTSOCK : posix::WsaCodeOfErrno(error));
}

// Runs one system call on the socket's descriptor and records its failure. A call
// interrupted by a signal is made again unless the socket was closed meanwhile.
template <class Call>
auto OnSocket(TIdStackSocketHandle socket, Call call) -> decltype(call(0)) {
  const auto use = Sockets().Enter(socket);
  if (!use) return Fail(Id_WSAENOTSOCK);
  auto result = call(use.fd());
  while (result < 0 && errno == EINTR && !use.ClosedMeanwhile()) result = call(use.fd());
  if (result < 0) RecordFailure(use);
  return result;
}

sockaddr_in MakeAddress(TIdStack& stack, int family, int port, const std::string& address) {
  sockaddr_in record{};
  record.sin_family = static_cast<sa_family_t>(family);
  record.sin_port = htons(static_cast<std::uint16_t>(port));
  record.sin_addr.s_addr = address.empty() ? htonl(INADDR_ANY) : stack.AddressValueOf(address);
  return record;
}

void ReadAddress(const sockaddr_in& record, int& port, std::string& address) {
  TIdAddressBytes bytes{};
  static_assert(sizeof bytes == sizeof record.sin_addr);
  std::memcpy(bytes.data(), &record.sin_addr, sizeof bytes);
  address = AddressBytesToText(bytes);
  port = ntohs(record.sin_port);
}

// A connect interrupted by a signal goes on in the background: wait for its outcome.
int ConnectResumingAfterSignal(int fd, const sockaddr_in& record) {
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&record), sizeof record) == 0) return 0;
  if (errno != EINTR) return -1;
  pollfd entry{fd, POLLOUT, 0};
  while (::poll(&entry, 1, -1) < 0 && errno == EINTR) {
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0) return -1;
  errno = error;
  return error == 0 ? 0 : -1;
}

int NativeLevel(int level) {
  if (level == Id_SOL_SOCKET) return SOL_SOCKET;
  if (level == Id_IPPROTO_TCP) return IPPROTO_TCP;
  return level;
}

int NativeOption(int level, int option) {
  if (level == Id_SOL_SOCKET && option == Id_SO_REUSEADDR) return SO_REUSEADDR;
  if (level == Id_IPPROTO_TCP && option == Id_TCP_NODELAY) return TCP_NODELAY;
  return option;
}

void NameOf(TIdStack& stack, TIdStackSocketHandle socket, bool peer, int& family, int& port,
            std::string& address) {
  sockaddr_in record{};
  socklen_t length = sizeof record;
  auto* raw = reinterpret_cast<sockaddr*>(&record);
  const int result = OnSocket(socket, [&](int fd) {
    return peer ? ::getpeername(fd, raw, &length) : ::getsockname(fd, raw, &length);
  });
  stack.VerifySocketResult(result);
  family = record.sin_family;
  ReadAddress(record, port, address);
}

}  // namespace

std::unique_ptr<TIdStack> MakePlatformStack() { return std::make_unique<TIdStackPosix>(); }

TIdStackPosix::TIdStackPosix() {
  versionInfo = std::make_unique<TIdStackVersion>();
  versionInfo->maxDatagramBytes = 65507;
  versionInfo->highestVersion = 0x0202;
  versionInfo->grantedVersion = 0x0202;
  versionInfo->descriptionText = "BSD sockets";
  versionInfo->statusText = "Running";
  versionInfo->stackName = Messages().StackName;
}

TIdStackSocketHandle TIdStackBSDBase::SockAccept(TIdStackSocketHandle socket, std::string& address,
                                               int& port) {
  sockaddr_in record{};
  socklen_t length = sizeof record;
  const int fd = OnSocket(socket, [&](int listening) {
    length = sizeof record;
    return ::accept4(listening, reinterpret_cast<sockaddr*>(&record), &length, SOCK_CLOEXEC);
  });
  if (fd < 0) return Id_INVALID_SOCKET;
  ReadAddress(record, port, address);
  return Sockets().Adopt(fd);
}

int TIdStackBSDBase::SockBind(TIdStackSocketHandle socket, int family, int port,
                            const std::string& address) {
  const sockaddr_in record = MakeAddress(*this, family, port, address);
  return OnSocket(socket, [&](int fd) {
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&record), sizeof record);
  });
}

int TIdStackBSDBase::SockClose(TIdStackSocketHandle socket) {
  return Sockets().Close(socket) ? 0 : Fail(Id_WSAENOTSOCK);
}

int TIdStackBSDBase::SockConnect(TIdStackSocketHandle socket, int family, int port,
                               const std::string& address) {
  const sockaddr_in record = MakeAddress(*this, family, port, address);
  return OnSocket(socket, [&](int fd) { return ConnectResumingAfterSignal(fd, record); });
}

std::uint16_t TIdStackBSDBase::HostToNet16(std::uint16_t value) { return htons(value); }
std::uint16_t TIdStackBSDBase::NetToHost16(std::uint16_t value) { return ntohs(value); }
std::uint32_t TIdStackBSDBase::HostToNet32(std::uint32_t value) { return htonl(value); }
std::uint32_t TIdStackBSDBase::NetToHost32(std::uint32_t value) { return ntohl(value); }

int TIdStackBSDBase::SockListen(TIdStackSocketHandle socket, int queueLength) {
  return OnSocket(socket, [&](int fd) { return ::listen(fd, queueLength); });
}

int TIdStackBSDBase::SockReceive(TIdStackSocketHandle socket, void* buffer, int length, int flags) {
  return static_cast<int>(OnSocket(
      socket, [&](int fd) { return ::recv(fd, buffer, static_cast<std::size_t>(length), flags); }));
}

int TIdStackBSDBase::SockReceiveFrom(TIdStackSocketHandle socket, void* buffer, int length, int flags,
                                   std::string& address, int& port) {
  sockaddr_in record{};
  socklen_t recordLength = sizeof record;
  const auto result = OnSocket(socket, [&](int fd) {
    recordLength = sizeof record;
    return ::recvfrom(fd, buffer, static_cast<std::size_t>(length), flags,
                      reinterpret_cast<sockaddr*>(&record), &recordLength);
  });
  if (result >= 0) ReadAddress(record, port, address);
  return static_cast<int>(result);
}

int TIdStackBSDBase::SockSend(TIdStackSocketHandle socket, const void* buffer, int length,
                            int flags) {
  return static_cast<int>(OnSocket(socket, [&](int fd) {
    return ::send(fd, buffer, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL);
  }));
}

int TIdStackBSDBase::SockSendTo(TIdStackSocketHandle socket, const void* buffer, int length,
                              int flags, const std::string& address, int port) {
  const sockaddr_in record = MakeAddress(*this, Id_AF_INET, port, address);
  return static_cast<int>(OnSocket(socket, [&](int fd) {
    return ::sendto(fd, buffer, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL,
                    reinterpret_cast<const sockaddr*>(&record), sizeof record);
  }));
}

int TIdStackBSDBase::SockSetOption(TIdStackSocketHandle socket, int level, int option,
                                 const void* value, int length) {
  return OnSocket(socket, [&](int fd) {
    return ::setsockopt(fd, NativeLevel(level), NativeOption(level, option), value,
                        static_cast<socklen_t>(length));
  });
}

int TIdStackBSDBase::SockGetOption(TIdStackSocketHandle socket, int level, int option, void* value,
                                 int& length) {
  socklen_t size = static_cast<socklen_t>(length);
  const int result = OnSocket(socket, [&](int fd) {
    return ::getsockopt(fd, NativeLevel(level), NativeOption(level, option), value, &size);
  });
  length = static_cast<int>(size);
  return result;
}

TIdStackSocketHandle TIdStackBSDBase::SockCreate(int family, int type, int protocol) {
  const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    posix::RecordErrno();
    return Id_INVALID_SOCKET;
  }
  return Sockets().Adopt(fd);
}

int TIdStackBSDBase::SockShutdown(TIdStackSocketHandle socket, int direction) {
  return OnSocket(socket, [&](int fd) { return ::shutdown(fd, direction); });
}

int TIdStackBSDBase::SockLastError() { return posix::LastError(); }

void TIdStackBSDBase::SockPeerName(TIdStackSocketHandle socket, int& family, int& port,
                                 std::string& address) {
  NameOf(*this, socket, true, family, port, address);
}

void TIdStackBSDBase::SockLocalName(TIdStackSocketHandle socket, int& family, int& port,
                                  std::string& address) {
  NameOf(*this, socket, false, family, port, address);
}

}  // namespace horalux
