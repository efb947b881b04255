// A small RFC 868 peer on 127.0.0.1 for client tests: it accepts connections on a thread
// of its own and plays the same script to each (bytes, delays, how it ends).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback.h"

namespace horalux::testing {

struct PeerScript {
  enum class End { kClose, kHold, kReset };

  std::string bytes;      // sent after the delay
  int delayBeforeMs = 0;  // before the first byte
  int trickleMs = 0;      // > 0: one byte at a time with this pause between them
  End end = End::kClose;
};

// The four bytes of a value in network order.
std::string TimeBytes(std::uint32_t value);

class ScriptedServer {
 public:
  explicit ScriptedServer(PeerScript script);
  // Stops accepting, ends the scripts under way, closes held connections.
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int Port() const noexcept { return listener_.Port(); }
  int Accepted() const noexcept { return accepted_.load(); }

 private:
  void Serve();
  void Play(RawFd connection);
  // Sleeps unless the server is stopping; false when it is.
  bool Pause(int milliseconds);

  PeerScript script_;
  RawListener listener_;
  std::mutex stopMutex_;
  std::condition_variable stopRequested_;
  bool stopping_ = false;  // guarded by stopMutex_
  std::atomic<int> accepted_{0};
  std::vector<RawFd> held_;  // only the serving thread touches it until it is joined
  std::thread thread_;
};

}  // namespace horalux::testing
