// TabfCustomTimer: a component with one repeating timer. The timer runs while Enabled is
// set, Interval is not 0 and a tick handler is set; each tick runs TickStep, and a failure
// in it goes to the application's error box while the timer keeps running.
//
// Thread-safety: main thread only (ticks come from the thread's event loop).
#pragma once

#include <cstdint>
#include <memory>

#include "desktop/qt/abf_component.h"
#include "desktop/qt/application.h"
#include "base/exceptions.h"

namespace horalux {

// No timer could be had from the system.
class EOutOfResources : public Exception {
  using Exception::Exception;
};

class TabfCustomTimer : public TabfComponent {
 public:
  // Requires: application outlives this component.
  TabfCustomTimer(TComponent* owner, TApplication& application);
  ~TabfCustomTimer() override;

  // The setters store the value and restart the timer. They throw EOutOfResources
  // ("Nicht genügend Timer verfügbar") when the timer should run and none can be had;
  // the value stays stored.
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);
  std::uint32_t Interval() const noexcept { return interval_; }
  void SetInterval(std::uint32_t interval);
  const TNotifyEvent& OnTimer() const noexcept { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);

  TApplication& Application() const noexcept { return application_; }

 protected:
  // One tick: fires the tick handler.
  virtual void TickStep();
  // Stops the timer and starts it again when it should run.
  void UpdateTimer();

 private:
  class TimerWindow;

  TApplication& application_;
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
  std::unique_ptr<TimerWindow> window_;
  int timerId_ = 0;
};

}  // namespace horalux
