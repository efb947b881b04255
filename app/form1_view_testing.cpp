#include "app/form1_view_testing.h"

#include <algorithm>

namespace horalux::testing {

void TRecordingForm1View::Unbind() {
  form_ = nullptr;
  const std::lock_guard lock(postedMutex_);
  posted_.clear();
  delayed_.clear();
}

void TRecordingForm1View::SetStatusText(TStatusPanel panel, const std::string& text) {
  status[static_cast<int>(panel)] = text;
}

void TRecordingForm1View::ChangeLog(std::size_t removedFromStart,
                                    const std::vector<std::string>& appended) {
  logLines.erase(logLines.begin(),
                 logLines.begin() + static_cast<long>(std::min(removedFromStart, logLines.size())));
  logLines.insert(logLines.end(), appended.begin(), appended.end());
}

void TRecordingForm1View::Terminate() {
  terminated = true;
  if (form_ != nullptr) form_->QuitRequested();
}

void TRecordingForm1View::Post(std::function<void()> work) {
  const std::lock_guard lock(postedMutex_);
  posted_.push_back(std::move(work));
}

void TRecordingForm1View::After(std::chrono::milliseconds delay, std::function<void()> work) {
  delayed_.push_back({Clock::now() + delay, std::move(work)});
}

void TRecordingForm1View::ProcessEvents() {
  std::deque<std::function<void()>> posted;
  {
    const std::lock_guard lock(postedMutex_);
    posted.swap(posted_);
  }
  for (auto& work : posted) {
    if (form_ != nullptr) work();
  }
  const auto now = Clock::now();
  std::vector<TDelayed> due;
  for (auto it = delayed_.begin(); it != delayed_.end();) {
    if (it->due <= now) {
      due.push_back(std::move(*it));
      it = delayed_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& entry : due) {
    if (form_ != nullptr) entry.work();
  }
}

void TRecordingForm1View::Click(TCheckBox box) {
  checked[box] = !checked[box];
  if (form_ == nullptr) return;
  if (box == TCheckBox::ckServer) form_->Guard([this] { form_->ckServerClick(); });
}

}  // namespace horalux::testing
