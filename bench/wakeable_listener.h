// A listening socket on 127.0.0.1 whose accepting thread can be woken to stop: the
// common part of the benchmark's plain servers.
#pragma once

namespace horalux::bench {

class WakeableListener {
 public:
  // `port` 0 picks an ephemeral one. Throws std::runtime_error when it cannot listen.
  WakeableListener(int port, int backlog);
  ~WakeableListener();
  WakeableListener(const WakeableListener&) = delete;
  WakeableListener& operator=(const WakeableListener&) = delete;

  int Port() const noexcept { return port_; }
  // The next accepted connection, -1 once Wake() has been called.
  int Accept();
  // Any thread: makes Accept() return -1 from now on.
  void Wake();

 private:
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
};

}  // namespace horalux::bench
