// The activity log: at most 100 lines, the oldest first. Its two writers trim
// differently: a synchronisation run trims to 99 before it starts; every line, a run's
// or an incoming connection's, first drops the oldest line once when 100 are there
// (after a run's trim that happens only when connections added lines during the run).
// Lines come in batches; a view follows each batch in one change, and never hears of
// lines that the batch itself pushes out again.
// Main thread only.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace horalux {

class TActivityLog {
 public:
  static constexpr std::size_t kLimit = 100;

  // Told of each change: that many lines went from the start, then these were appended.
  using Listener =
      std::function<void(std::size_t removedFromStart, const std::vector<std::string>& appended)>;

  void SetListener(Listener listener) { listener_ = std::move(listener); }

  // Before a run: while 100 or more lines, delete the first.
  void TrimForRun();
  // Appends each line in turn, dropping the oldest line once before each when 100 are
  // there.
  void Append(const std::vector<std::string>& lines);

  const std::deque<std::string>& Lines() const noexcept { return lines_; }

 private:
  std::deque<std::string> lines_;
  Listener listener_;
};

}  // namespace horalux
