// Log lines on their way to their two readers: the window's view of the log, on the main
// thread, and the mirror on standard error, on a writer thread of its own (log_mirror.h).
// Connection threads add incoming-connection lines, the main thread its run lines; every
// line takes its place in one order that both readers see.
//
// The mirror must get every line; the view only ever shows the newest 100. So the view
// reader skips what it could never show, while the mirror's reader takes each line. Lines
// wait in a ring of fixed capacity: memory stays bounded whatever the rate of connections.
// When the mirror's reader has fallen a whole ring behind, a new line waits for room, that
// is for the writer thread (never for the main thread, which may itself be waiting for the
// connection threads). The server then answers at the pace that standard error takes its
// lines. Only when standard error takes nothing at all (the reader reports itself stalled),
// or when no mirror reads, does a new line push the oldest unread one out of the ring: that
// line is lost to the mirror, and counted.
//
// Thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "timeproto/time_value.h"

namespace horalux {

struct TPendingLine {
  bool incoming = false;
  TDateTime when = 0;  // incoming: when the connection's line took its place
  std::string text;    // incoming: the peer's address; otherwise the whole line
  std::string note;    // a line after it on standard error only, when not empty
};

class TIncomingLines {
 public:
  static constexpr std::size_t kViewLines = 100;

  // Requires: capacity > kViewLines.
  explicit TIncomingLines(std::size_t capacity = 4096);

  // Any thread. An incoming-connection line; its time stamp is read from `clock` as it
  // takes its place, so stamps never go back along the lines. May wait for the mirror's
  // reader (see above), never for the view. True when the view had taken every line
  // before and waits to be told: the caller then has the main thread call TakeForView,
  // once for a whole batch.
  bool PushIncoming(const std::function<TDateTime()>& clock, std::string_view peerAddress);
  // Any thread. A whole line, and a note for the mirror to write after it (none when
  // empty); waits and returns as PushIncoming.
  bool PushLine(std::string line, std::string mirrorNote = {});

  // Main thread: the lines the view has not taken, oldest first; of more than 100, only
  // the newest 100 (the others are counted as skipped).
  std::vector<TPendingLine> TakeForView();
  // Main thread, after a pause: when no line waits for the view, the next push tells it
  // (true); otherwise false, and the caller takes them now.
  bool ArmView();
  std::uint64_t SkippedByView() const;

  // The mirror's reader: from now on lines wait for it. Requires: one reader at a time.
  void AttachMirror();
  // The mirror's reader: waits until lines wait for it, then, for at most `gather`, until
  // `most` wait; takes up to `most` of them, oldest first. Empty only after DetachMirror,
  // once none waits. Gathering spares the writer a wake-up and a write for every line.
  std::vector<TPendingLine> TakeForMirror(std::size_t most, std::chrono::milliseconds gather = {});
  // Standard error took nothing for a while (true) or took lines again (false).
  void SetMirrorStalled(bool stalled);
  // Any thread: the reader ends once it has taken what waits; lines no longer wait for it.
  void DetachMirror();
  // Lines pushed out of the ring before the mirror's reader took them.
  std::uint64_t LostToMirror() const;

 private:
  // Requires mutex_ held by `lock`: waits for room, then returns the slot of a new line.
  TPendingLine& Place(std::unique_lock<std::mutex>& lock);
  // Requires mutex_ held by `lock`: a line was placed. Releases the lock, wakes the
  // mirror's reader, and tells whether to wake the view.
  bool Placed(std::unique_lock<std::mutex>& lock);
  std::size_t Waiting() const { return static_cast<std::size_t>(head_ - mirrorNext_); }

  mutable std::mutex mutex_;
  std::condition_variable mirrorCanTake_;
  std::condition_variable roomFreed_;
  std::vector<TPendingLine> ring_;  // line n lives at n % capacity
  std::uint64_t head_ = 0;          // number of the next line
  std::uint64_t mirrorNext_ = 0;    // oldest line the mirror has not taken
  std::uint64_t viewNext_ = 0;      // oldest line the view has not taken
  std::uint64_t skippedByView_ = 0;
  std::uint64_t lostToMirror_ = 0;
  int waitingForRoom_ = 0;
  bool mirrorAttached_ = false;
  bool mirrorDetaching_ = false;
  bool mirrorStalled_ = false;
  std::size_t mirrorWakeAt_ = 0;  // the reader waits until this many wait (0: it does not)
  bool viewWaiting_ = true;       // the view waits to be told of the next line
};

}  // namespace horalux
