// The loopback peers' system calls on Windows, over WinSock 2 linked directly: the peers
// stay independent of the stack under test, which loads its library at run time.
#include <winsock2.h>

#include <stdexcept>

#include "tests/support/loopback.h"

namespace horalux::testing {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

SOCKET Native(RawSocket socket) { return static_cast<SOCKET>(socket); }

RawSocket Raw(SOCKET socket) {
  return socket == INVALID_SOCKET ? kNoSocket : static_cast<RawSocket>(socket);
}

// WinSock counts its users: this one starts it once and never stops it.
RawFd NewSocket() {
  static const bool started = [] {
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) throw std::runtime_error("WinSock does not start");
  return RawFd(Raw(::socket(AF_INET, SOCK_STREAM, 0)));
}

}  // namespace

void RawFd::Reset() {
  if (fd_ != kNoSocket) ::closesocket(Native(fd_));
  fd_ = kNoSocket;
}

RawListener::RawListener(int backlog) : socket_(NewSocket()) {
  sockaddr_in address = Loopback(0);
  if (::bind(Native(fd()), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(Native(fd()), backlog) != 0) {
    throw std::runtime_error("cannot listen on loopback");
  }
  int length = sizeof address;
  ::getsockname(Native(fd()), reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
}

RawFd RawListener::Accept(int timeoutMs) {
  if (!WaitReadable(fd(), timeoutMs)) return RawFd();
  return RawFd(Raw(::accept(Native(fd()), nullptr, nullptr)));
}

RawFd RawConnect(int port) {
  RawFd socket = NewSocket();
  const sockaddr_in address = Loopback(port);
  if (::connect(Native(socket.get()), reinterpret_cast<const sockaddr*>(&address),
                sizeof address) != 0) {
    return RawFd();
  }
  return socket;
}

RawFd BoundSocket(int port) {
  RawFd socket = NewSocket();
  // Without this, Windows lets a later bind with SO_REUSEADDR take the port anyway.
  const BOOL exclusive = TRUE;
  ::setsockopt(Native(socket.get()), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  const sockaddr_in address = Loopback(port);
  if (::bind(Native(socket.get()), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
      0) {
    return RawFd();
  }
  return socket;
}

bool WaitReadable(RawSocket socket, int timeoutMs) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Native(socket), &readable);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return ::select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit) == 1;
}

std::string ReceiveSome(RawSocket socket, std::size_t limit) {
  std::string bytes(limit, '\0');
  const int n = ::recv(Native(socket), bytes.data(), static_cast<int>(limit), 0);
  bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return bytes;
}

bool WriteAll(RawSocket socket, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const int n =
        ::send(Native(socket), bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

void ShutdownSending(RawSocket socket) { ::shutdown(Native(socket), SD_SEND); }

void ResetOnClose(RawSocket socket) {
  const linger hard{1, 0};
  ::setsockopt(Native(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard),
               sizeof hard);
}

}  // namespace horalux::testing
