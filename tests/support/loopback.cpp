#include "tests/support/loopback.h"

#include <utility>

namespace horalux::testing {

RawFd& RawFd::operator=(RawFd&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.Release();
  }
  return *this;
}

RawFd::~RawFd() { Reset(); }

RawSocket RawFd::Release() noexcept { return std::exchange(fd_, kNoSocket); }

int RefusingPort() {
  RawListener listener(1);
  return listener.Port();  // closed again on return: nothing listens there now
}

UnreachablePeer::UnreachablePeer() : listener_(0), filler_(RawConnect(listener_.Port())) {}

std::string ReadAll(RawSocket socket, std::size_t limit, int timeoutMs) {
  std::string bytes;
  while (bytes.size() < limit && WaitReadable(socket, timeoutMs)) {
    const std::string more = ReceiveSome(socket);
    if (more.empty()) break;
    bytes += more;
  }
  return bytes;
}

bool PeerClosedWithoutData(RawSocket socket, int timeoutMs) {
  return WaitReadable(socket, timeoutMs) && ReceiveSome(socket, 1).empty();
}

}  // namespace horalux::testing
