// Peers on 127.0.0.1 made with plain system calls, independent of the code under test.
// The system calls themselves live in loopback_posix.cpp and loopback_win32.cpp.
#pragma once

#include <cstdint>
#include <string>

namespace horalux::testing {

// A socket as the system hands it out: a descriptor on Linux, a SOCKET on Windows.
using RawSocket = std::intptr_t;
inline constexpr RawSocket kNoSocket = -1;

// Owns one socket.
class RawFd {
 public:
  RawFd() = default;
  explicit RawFd(RawSocket socket) : fd_(socket) {}
  RawFd(RawFd&& other) noexcept : fd_(other.Release()) {}
  RawFd& operator=(RawFd&& other) noexcept;
  ~RawFd();

  RawSocket get() const noexcept { return fd_; }
  bool valid() const noexcept { return fd_ != kNoSocket; }
  RawSocket Release() noexcept;
  void Reset();

 private:
  RawSocket fd_ = kNoSocket;
};

// A listening socket on 127.0.0.1 at an ephemeral port.
class RawListener {
 public:
  explicit RawListener(int backlog = 16);
  int Port() const noexcept { return port_; }
  RawSocket fd() const noexcept { return socket_.get(); }
  // A connected socket, or an invalid one when none arrives within the time-out.
  RawFd Accept(int timeoutMs = 5000);

 private:
  RawFd socket_;
  int port_ = 0;
};

// A blocking connect to 127.0.0.1:port; invalid on failure.
RawFd RawConnect(int port);

// A socket bound to 127.0.0.1:port (not listening); invalid when the port is taken.
RawFd BoundSocket(int port);

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

// Whether the socket becomes readable (data, a close or a reset) within the time-out.
bool WaitReadable(RawSocket socket, int timeoutMs);
// One receive of at most `limit` bytes: the bytes, or empty when the peer closed or the
// receive failed.
std::string ReceiveSome(RawSocket socket, std::size_t limit = 4096);

// Reads until the peer closes or `limit` bytes came; waits at most timeoutMs for each read.
std::string ReadAll(RawSocket socket, std::size_t limit = 1 << 20, int timeoutMs = 5000);
bool WriteAll(RawSocket socket, const std::string& bytes);
// True when the peer closed (orderly or by reset) within the time-out without sending.
bool PeerClosedWithoutData(RawSocket socket, int timeoutMs = 5000);

// Ends the sending direction: the peer reads the end of the data.
void ShutdownSending(RawSocket socket);
// Makes the socket's close send a reset instead of an orderly end.
void ResetOnClose(RawSocket socket);

}  // namespace horalux::testing
