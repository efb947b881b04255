#include "app/activity_log.h"

namespace horalux {

void ActivityLog::TrimForRun() {
  while (lines_.size() >= kLimit) RemoveFirst();
}

void ActivityLog::AppendRunLine(const std::string& line) { Append(line); }

void ActivityLog::AppendIncoming(const std::string& line) {
  if (lines_.size() >= kLimit) RemoveFirst();
  Append(line);
}

void ActivityLog::RemoveFirst() {
  lines_.pop_front();
  if (listener_.removedFirst) listener_.removedFirst();
}

void ActivityLog::Append(const std::string& line) {
  lines_.push_back(line);
  if (listener_.appended) listener_.appended(line);
}

}  // namespace horalux
