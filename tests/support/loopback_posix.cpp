// The loopback peers' system calls on Linux.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "tests/support/loopback.h"

namespace horalux::testing {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

int Fd(RawSocket socket) { return static_cast<int>(socket); }

RawFd NewSocket() { return RawFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)); }

}  // namespace

void RawFd::Reset() {
  if (fd_ != kNoSocket) ::close(Fd(fd_));
  fd_ = kNoSocket;
}

RawListener::RawListener(int backlog) : socket_(NewSocket()) {
  sockaddr_in address = Loopback(0);
  if (::bind(Fd(fd()), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(Fd(fd()), backlog) != 0) {
    throw std::runtime_error("cannot listen on loopback");
  }
  socklen_t length = sizeof address;
  ::getsockname(Fd(fd()), reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
}

RawFd RawListener::Accept(int timeoutMs) {
  if (!WaitReadable(fd(), timeoutMs)) return RawFd();
  return RawFd(::accept4(Fd(fd()), nullptr, nullptr, SOCK_CLOEXEC));
}

RawFd RawConnect(int port) {
  RawFd socket = NewSocket();
  const sockaddr_in address = Loopback(port);
  if (::connect(Fd(socket.get()), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
      0) {
    return RawFd();
  }
  return socket;
}

RawFd BoundSocket(int port) {
  RawFd socket = NewSocket();
  const sockaddr_in address = Loopback(port);
  if (::bind(Fd(socket.get()), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return RawFd();
  }
  return socket;
}

bool WaitReadable(RawSocket socket, int timeoutMs) {
  pollfd entry{Fd(socket), POLLIN, 0};
  int result;
  do {
    result = ::poll(&entry, 1, timeoutMs);
  } while (result < 0 && errno == EINTR);
  return result == 1;
}

std::string ReceiveSome(RawSocket socket, std::size_t limit) {
  std::string bytes(limit, '\0');
  const ssize_t n = ::recv(Fd(socket), bytes.data(), limit, 0);
  bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return bytes;
}

bool WriteAll(RawSocket socket, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(Fd(socket), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

void ShutdownSending(RawSocket socket) { ::shutdown(Fd(socket), SHUT_WR); }

void ResetOnClose(RawSocket socket) {
  const linger hard{1, 0};
  ::setsockopt(Fd(socket), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

}  // namespace horalux::testing
