// The activity log: at most 100 lines, the oldest first. Its two writers trim
// differently: a synchronisation run trims to 99 before it starts; an incoming-connection
// line drops the oldest line once before it is appended.
// Main thread only; a view follows the changes through the listener.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace horalux {

class ActivityLog {
 public:
  static constexpr std::size_t kLimit = 100;

  struct Listener {
    std::function<void()> removedFirst;
    std::function<void(const std::string&)> appended;
  };

  void SetListener(Listener listener) { listener_ = std::move(listener); }

  // Before a run: while 100 or more lines, delete the first.
  void TrimForRun();
  // A run's result line (the run trimmed already).
  void AppendRunLine(const std::string& line);
  // An incoming-connection line: one trim, then the line.
  void AppendIncoming(const std::string& line);

  const std::deque<std::string>& Lines() const noexcept { return lines_; }

 private:
  void RemoveFirst();
  void Append(const std::string& line);

  std::deque<std::string> lines_;
  Listener listener_;
};

}  // namespace horalux
