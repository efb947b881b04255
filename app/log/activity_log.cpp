#include "app/log/activity_log.h"

#include <algorithm>

namespace horalux {

void TActivityLog::TrimForRun() {
  if (lines_.size() < kLimit) return;
  const std::size_t removed = lines_.size() - (kLimit - 1);
  lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(removed));
  if (listener_) listener_(removed, {});
}

// One trim and one append per line keeps the newest 100 of the old lines and the new
// ones together: only those are kept, and only those the view hears of.
void TActivityLog::Append(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  const std::size_t kept = std::min(lines.size(), kLimit);
  const std::size_t total = lines_.size() + kept;
  const std::size_t removed = total > kLimit ? total - kLimit : 0;
  lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(removed));
  const std::vector<std::string> appended(lines.end() - static_cast<std::ptrdiff_t>(kept),
                                          lines.end());
  lines_.insert(lines_.end(), appended.begin(), appended.end());
  if (listener_) listener_(removed, appended);
}

}  // namespace horalux
