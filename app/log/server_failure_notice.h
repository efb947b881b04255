// A line on standard error when the time server could not take a connection (the system
// made no thread for it, say at a process limit, or an accept failed): its client got no
// time, and nothing in the window says so. An administrator reads why there:
//   horalux: the time server could not serve a client: cannot create thread: Resource ...
// At most one line a second, however often it fails, so that a lasting failure does not
// flood the journal; a line that standard error cannot take at once is dropped, so that a
// listener never waits for it.
//
// Thread-safe: the server's listener threads report concurrently.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/output_sink.h"

namespace horalux {

class TServerFailureNotice {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr std::chrono::seconds kSpacing{1};

  // Writes to the descriptor `fd` (not owned).
  explicit TServerFailureNotice(int fd, Clock clock = &std::chrono::steady_clock::now);

  void Report(const std::exception& failure);

 private:
  std::mutex mutex_;
  TOutputSink sink_;  // guarded by mutex_, as the next one
  std::optional<std::chrono::steady_clock::time_point> lastLine_;
  const Clock clock_;
};

}  // namespace horalux
