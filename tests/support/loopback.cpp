#include "tests/support/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace horalux::testing {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

bool WaitReadable(int fd, int timeoutMs) {
  pollfd entry{fd, POLLIN, 0};
  int result;
  do {
    result = ::poll(&entry, 1, timeoutMs);
  } while (result < 0 && errno == EINTR);
  return result == 1;
}

}  // namespace

RawFd& RawFd::operator=(RawFd&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.Release();
  }
  return *this;
}

RawFd::~RawFd() { Reset(); }

int RawFd::Release() noexcept {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void RawFd::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

RawListener::RawListener(int backlog) : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in address = Loopback(0);
  if (::bind(fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd(), backlog) != 0) {
    throw std::runtime_error("cannot listen on loopback");
  }
  socklen_t length = sizeof address;
  ::getsockname(fd(), reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
}

RawFd RawListener::Accept(int timeoutMs) {
  if (!WaitReadable(fd(), timeoutMs)) return RawFd();
  return RawFd(::accept4(fd(), nullptr, nullptr, SOCK_CLOEXEC));
}

RawFd RawConnect(int port) {
  RawFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = Loopback(port);
  if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return RawFd();
  }
  return socket;
}

int RefusingPort() {
  RawListener listener(1);
  return listener.Port();  // closed again on return: nothing listens there now
}

UnreachablePeer::UnreachablePeer() : listener_(0), filler_(RawConnect(listener_.Port())) {}

std::string ReadAll(int fd, std::size_t limit, int timeoutMs) {
  std::string bytes;
  char buffer[4096];
  while (bytes.size() < limit && WaitReadable(fd, timeoutMs)) {
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

bool PeerClosedWithoutData(int fd, int timeoutMs) {
  if (!WaitReadable(fd, timeoutMs)) return false;
  char byte = 0;
  return ::recv(fd, &byte, 1, 0) <= 0;
}

}  // namespace horalux::testing
