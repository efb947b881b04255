// The simplest RFC 868 server there is: one thread that accepts, writes the four bytes
// and closes. The time server's throughput is reported as a ratio to this ceiling,
// measured in the same run on the same machine.
#pragma once

#include <thread>

#include <sys/socket.h>

#include "bench/wakeable_listener.h"

namespace horalux::bench {

class ReferenceServer {
 public:
  // Listens on 127.0.0.1 at `port` (0: an ephemeral one) with the given backlog.
  explicit ReferenceServer(int port = 0, int backlog = SOMAXCONN);
  ~ReferenceServer();
  ReferenceServer(const ReferenceServer&) = delete;
  ReferenceServer& operator=(const ReferenceServer&) = delete;

  int Port() const noexcept { return listener_.Port(); }

 private:
  void Serve();

  WakeableListener listener_;
  std::thread thread_;
};

}  // namespace horalux::bench
