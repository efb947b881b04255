// The activity log's mirror: every log line, in order, on standard error as
// "horalux.log: <line>", for people running the program headless (a terminal, the
// journal) and for the end-to-end tests. A line's note, when it has one, follows it as it
// stands (why a run reached no host: "horalux: timehost: Socket Error # 10061 ..."). A writer
// thread of its own takes the lines from TIncomingLines and writes many of them at once, so that
// neither the connection threads nor the main thread ever wait on standard error.
//
// A failed write loses the lines it carried, and nothing worse: a closed pipe (EPIPE) or a
// bad descriptor never blocks or ends the program. The writer never blocks in a write
// either: it writes only what the descriptor takes at once (output_sink.h). When the
// descriptor takes nothing for `stallLimit`, it tells TIncomingLines, whose new lines then
// stop waiting for it; at the end of the program it then gives up what still waits.
//
// Thread-safety: the counters may be read from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "app/log/incoming_lines.h"
#include "platform/output_sink.h"

namespace horalux {

class TLogMirror {
 public:
  using TimeText = std::function<std::string(TDateTime)>;
  static constexpr std::chrono::milliseconds kStallLimit{1000};

  // Starts the writer thread on `lines`, writing to the descriptor `fd` (not owned).
  // `timeText` formats the stamps of incoming lines; it runs on the writer thread only.
  // Throws std::system_error when no thread can be started.
  TLogMirror(TIncomingLines& lines, TimeText timeText, int fd,
             std::chrono::milliseconds stallLimit = kStallLimit);
  // Writes what still waits, unless the descriptor takes nothing for the stall limit, and
  // ends the writer thread.
  ~TLogMirror();
  TLogMirror(const TLogMirror&) = delete;
  TLogMirror& operator=(const TLogMirror&) = delete;

  std::uint64_t Written() const noexcept { return written_.load(); }  // lines written whole
  std::uint64_t Failed() const noexcept { return failed_.load(); }    // lines lost in writes

 private:
  void Run();
  void Append(std::string& out, const TPendingLine& line) const;
  // Writes as much of `data` as the sink takes; returns the bytes written.
  std::size_t WriteOut(std::string_view data);
  void Progressed();
  void NoProgress();

  TIncomingLines& lines_;
  const TimeText timeText_;
  TOutputSink sink_;
  const std::chrono::milliseconds stallLimit_;
  bool stalled_ = false;  // writer thread only, as the next one
  std::chrono::steady_clock::time_point lastProgress_;
  std::atomic<bool> stopping_{false};
  std::atomic<std::uint64_t> written_{0};
  std::atomic<std::uint64_t> failed_{0};
  std::thread thread_;  // last: starts when everything above is ready
};

}  // namespace horalux
