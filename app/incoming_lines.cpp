#include "app/incoming_lines.h"

namespace horalux {

bool IncomingLines::Push(std::string line) {
  std::lock_guard lock(mutex_);
  const bool wasEmpty = lines_.empty();
  lines_.push_back(std::move(line));
  if (lines_.size() > capacity_) {
    lines_.pop_front();
    ++dropped_;
  }
  return wasEmpty;
}

std::vector<std::string> IncomingLines::TakeAll() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> taken(std::make_move_iterator(lines_.begin()),
                                 std::make_move_iterator(lines_.end()));
  lines_.clear();
  return taken;
}

std::uint64_t IncomingLines::Dropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

}  // namespace horalux
