// Incoming-connection lines on their way from the server's connection threads to the
// log on the main thread. A push never waits for the main thread, and only the newest
// 100 lines are kept: the log could never show more, so under a flood memory stays
// bounded and what the log finally shows is exactly what it would have shown.
// Thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace horalux {

class IncomingLines {
 public:
  explicit IncomingLines(std::size_t capacity = 100) : capacity_(capacity) {}

  // Any thread. True when the queue was empty before: the caller then asks the main thread
  // to drain it (once per batch, not once per line).
  bool Push(std::string line);
  // Main thread: every waiting line, oldest first.
  std::vector<std::string> TakeAll();
  std::uint64_t Dropped() const;

 private:
  const std::size_t capacity_;
  mutable std::mutex mutex_;
  std::deque<std::string> lines_;
  std::uint64_t dropped_ = 0;
};

}  // namespace horalux
