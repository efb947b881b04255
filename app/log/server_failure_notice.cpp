#include "app/log/server_failure_notice.h"

#include <string>

#include "app/log/log_lines.h"
#include "base/notice_name.h"

namespace horalux {

TServerFailureNotice::TServerFailureNotice(int fd, Clock clock)
    : sink_(fd), clock_(std::move(clock)) {}

void TServerFailureNotice::Report(const std::exception& failure) {
  const auto now = clock_();
  std::lock_guard lock(mutex_);
  if (lastLine_ && now - *lastLine_ < kSpacing) return;
  lastLine_ = now;
  const std::string line = NoticePrefix() + "the time server could not serve a client: " +
                           OneLineReason(failure.what()) + "\n";
  sink_.WriteSome(line);
}

}  // namespace horalux
