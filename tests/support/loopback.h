// Peers on 127.0.0.1 made with plain system calls, independent of the code under test.
#pragma once

#include <cstdint>
#include <string>

namespace horalux::testing {

// Owns one descriptor.
class RawFd {
 public:
  RawFd() = default;
  explicit RawFd(int fd) : fd_(fd) {}
  RawFd(RawFd&& other) noexcept : fd_(other.Release()) {}
  RawFd& operator=(RawFd&& other) noexcept;
  ~RawFd();

  int get() const noexcept { return fd_; }
  bool valid() const noexcept { return fd_ >= 0; }
  int Release() noexcept;
  void Reset();

 private:
  int fd_ = -1;
};

// A listening socket on 127.0.0.1 at an ephemeral port.
class RawListener {
 public:
  explicit RawListener(int backlog = 16);
  int Port() const noexcept { return port_; }
  int fd() const noexcept { return socket_.get(); }
  // A connected descriptor, or an invalid one when none arrives within the time-out.
  RawFd Accept(int timeoutMs = 5000);

 private:
  RawFd socket_;
  int port_ = 0;
};

// A blocking connect to 127.0.0.1:port; invalid on failure.
RawFd RawConnect(int port);

// A port on 127.0.0.1 where nothing listens: connects to it are refused.
int RefusingPort();

// A loopback address and port where a connect hangs until its limit: a listener with a
// backlog of 0 whose queue is already full, so further SYNs are dropped.
class UnreachablePeer {
 public:
  UnreachablePeer();
  int Port() const noexcept { return listener_.Port(); }

 private:
  RawListener listener_;
  RawFd filler_;
};

// Reads until the peer closes or `limit` bytes came; waits at most timeoutMs for each read.
std::string ReadAll(int fd, std::size_t limit = 1 << 20, int timeoutMs = 5000);
bool WriteAll(int fd, const std::string& bytes);
// True when the peer closed (orderly or by reset) within the time-out without sending.
bool PeerClosedWithoutData(int fd, int timeoutMs = 5000);

}  // namespace horalux::testing
