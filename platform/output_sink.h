// A descriptor (standard error) written without ever waiting for long, for the log's mirror
// and the server's notices. Pipes and terminals are asked whether they can take bytes
// before each write, and are given at most PIPE_BUF bytes at once, which such a descriptor
// then takes whole; sockets are written without waiting; files never make a writer wait.
// Windows cannot ask a pipe for room: a write to a full pipe there waits for its reader.
//
// Thread-safety: one writer thread uses an object.
#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

namespace horalux {

class TOutputSink {
 public:
  // The descriptor is not owned.
  explicit TOutputSink(int fd);

  // On the writer thread, before it writes: a pipe whose reader has gone then fails the
  // write (EPIPE) instead of ending the process with a signal.
  static void PrepareWriterThread();

  // The most bytes that one WriteSome takes.
  std::size_t MostAtOnce() const noexcept { return mostAtOnce_; }
  // Writes the start of `data` (at most MostAtOnce bytes) without waiting: the bytes
  // written, 0 when the descriptor takes nothing just now, -1 when it failed (a closed
  // pipe, a bad descriptor, a full disk).
  long WriteSome(std::string_view data);
  // Waits at most `limit` until the descriptor may take bytes; true when it may (or when
  // it has failed, which the next write then says).
  bool AwaitWritable(std::chrono::milliseconds limit);

 private:
  int fd_;
  bool socket_ = false;
  bool polled_ = false;
  std::size_t mostAtOnce_;
};

}  // namespace horalux
