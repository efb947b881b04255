#include "app/log/incoming_lines.h"

#include <algorithm>
#include <utility>

namespace horalux {

TIncomingLines::TIncomingLines(std::size_t capacity) : ring_(std::max(capacity, kViewLines + 1)) {}

bool TIncomingLines::PushIncoming(const std::function<TDateTime()>& clock,
                                  std::string_view peerAddress) {
  std::unique_lock lock(mutex_);
  TPendingLine& line = Place(lock);
  line.incoming = true;
  line.when = clock();  // here, under the lock: the order of the lines is the order of stamps
  line.text.assign(peerAddress);
  line.note.clear();
  return Placed(lock);
}

bool TIncomingLines::PushLine(std::string line, std::string mirrorNote) {
  std::unique_lock lock(mutex_);
  Place(lock) = {.text = std::move(line), .note = std::move(mirrorNote)};
  return Placed(lock);
}

TPendingLine& TIncomingLines::Place(std::unique_lock<std::mutex>& lock) {
  const auto full = [this] { return Waiting() == ring_.size(); };
  const auto mirrorTakes = [this] {
    return mirrorAttached_ && !mirrorStalled_ && !mirrorDetaching_;
  };
  if (full() && mirrorTakes()) {
    ++waitingForRoom_;
    roomFreed_.wait(lock, [&] { return !full() || !mirrorTakes(); });
    --waitingForRoom_;
  }
  if (full()) {
    ++mirrorNext_;
    ++lostToMirror_;
  }
  return ring_[head_ % ring_.size()];
}

bool TIncomingLines::Placed(std::unique_lock<std::mutex>& lock) {
  ++head_;
  const bool wakeMirror = mirrorWakeAt_ > 0 && Waiting() >= mirrorWakeAt_;
  if (wakeMirror) mirrorWakeAt_ = 0;
  const bool tellView = std::exchange(viewWaiting_, false);
  lock.unlock();
  if (wakeMirror) mirrorCanTake_.notify_one();
  return tellView;
}

std::vector<TPendingLine> TIncomingLines::TakeForView() {
  std::lock_guard lock(mutex_);
  const std::uint64_t newest = head_ - std::min<std::uint64_t>(head_, kViewLines);
  if (viewNext_ < newest) {
    skippedByView_ += newest - viewNext_;
    viewNext_ = newest;
  }
  std::vector<TPendingLine> taken;
  taken.reserve(static_cast<std::size_t>(head_ - viewNext_));
  for (; viewNext_ < head_; ++viewNext_) taken.push_back(ring_[viewNext_ % ring_.size()]);
  return taken;
}

bool TIncomingLines::ArmView() {
  std::lock_guard lock(mutex_);
  if (viewNext_ < head_) return false;
  viewWaiting_ = true;
  return true;
}

std::uint64_t TIncomingLines::SkippedByView() const {
  std::lock_guard lock(mutex_);
  return skippedByView_;
}

void TIncomingLines::AttachMirror() {
  std::lock_guard lock(mutex_);
  mirrorAttached_ = true;
  mirrorDetaching_ = false;
  mirrorStalled_ = false;
}

std::vector<TPendingLine> TIncomingLines::TakeForMirror(std::size_t most,
                                                        std::chrono::milliseconds gather) {
  std::unique_lock lock(mutex_);
  mirrorWakeAt_ = 1;
  mirrorCanTake_.wait(lock, [this] { return Waiting() > 0 || mirrorDetaching_; });
  mirrorWakeAt_ = std::min(most, ring_.size());
  mirrorCanTake_.wait_for(lock, gather,
                          [&] { return Waiting() >= mirrorWakeAt_ || mirrorDetaching_; });
  mirrorWakeAt_ = 0;
  const std::size_t count = std::min(most, Waiting());
  std::vector<TPendingLine> taken;
  taken.reserve(count);
  for (std::size_t i = 0; i < count; ++i) taken.push_back(ring_[mirrorNext_++ % ring_.size()]);
  if (count == 0) mirrorAttached_ = false;  // detached, and nothing is left
  if (waitingForRoom_ > 0) roomFreed_.notify_all();
  return taken;
}

void TIncomingLines::SetMirrorStalled(bool stalled) {
  std::lock_guard lock(mutex_);
  mirrorStalled_ = stalled;
  if (stalled) roomFreed_.notify_all();
}

void TIncomingLines::DetachMirror() {
  std::lock_guard lock(mutex_);
  mirrorDetaching_ = true;
  mirrorCanTake_.notify_all();
  roomFreed_.notify_all();
}

std::uint64_t TIncomingLines::LostToMirror() const {
  std::lock_guard lock(mutex_);
  return lostToMirror_;
}

}  // namespace horalux
