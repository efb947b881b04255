// The least a server with one thread per connection can do: one thread accepts, and
// every accepted connection gets a new thread (256 KiB of stack, as the time server's)
// that writes the four bytes, shuts down sending and closes. Measured beside the
// reference server, it shows how much of the time server's distance to that ceiling is
// the price of a thread per connection and how much is the framework's.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <sys/socket.h>

#include "bench/wakeable_listener.h"

namespace horalux::bench {

class ThreadServer {
 public:
  // Listens on 127.0.0.1 at `port` (0: an ephemeral one) with the given backlog.
  explicit ThreadServer(int port = 0, int backlog = SOMAXCONN);
  // Stops accepting and waits until every connection thread has ended.
  ~ThreadServer();
  ThreadServer(const ThreadServer&) = delete;
  ThreadServer& operator=(const ThreadServer&) = delete;

  int Port() const noexcept { return listener_.Port(); }

 private:
  void Accept();
  static void* Serve(void* self_and_socket);
  void Ended();

  WakeableListener listener_;
  std::mutex mutex_;
  std::condition_variable allEnded_;
  int running_ = 0;  // connection threads not yet ended
  std::thread thread_;
};

}  // namespace horalux::bench
