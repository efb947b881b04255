#include "desktop/qt/custom_timer.h"

#include <QObject>
#include <QTimerEvent>
#include <algorithm>
#include <climits>
#include <utility>

namespace horalux {

// Receives the timer's events for the component, which is not a QObject itself.
class TabfCustomTimer::TimerWindow : public QObject {
 public:
  explicit TimerWindow(TabfCustomTimer& timer) : timer_(timer) {}

 protected:
  void timerEvent(QTimerEvent* event) override {
    if (event->timerId() != timer_.timerId_) return;
    timer_.Application().Guard([this] { timer_.TickStep(); });
  }

 private:
  TabfCustomTimer& timer_;
};

TabfCustomTimer::TabfCustomTimer(TComponent* owner, TApplication& application)
    : TabfComponent(owner),
      application_(application),
      window_(std::make_unique<TimerWindow>(*this)) {}

TabfCustomTimer::~TabfCustomTimer() {
  if (timerId_ != 0) window_->killTimer(timerId_);
}

void TabfCustomTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  UpdateTimer();
}

void TabfCustomTimer::SetInterval(std::uint32_t interval) {
  interval_ = interval;
  UpdateTimer();
}

void TabfCustomTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TabfCustomTimer::TickStep() { Fire(onTimer_, *this); }

void TabfCustomTimer::UpdateTimer() {
  if (timerId_ != 0) {
    window_->killTimer(timerId_);
    timerId_ = 0;
  }
  if (interval_ == 0 || !enabled_ || !onTimer_) return;
  // Intervals beyond what Qt takes are clamped, as the system clamps its own timers.
  const int interval = static_cast<int>(std::min<std::uint32_t>(interval_, INT_MAX));
  timerId_ = window_->startTimer(interval);
  if (timerId_ == 0) throw EOutOfResources("Nicht genügend Timer verfügbar");
}

}  // namespace horalux
