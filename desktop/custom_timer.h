// TabfCustomTimer: a component with a hidden window of its own and one system timer on it.
// The timer runs while Enabled is set, Interval is not 0 and a tick handler is set; each
// tick runs TickStep, and a failure in it goes to the application's error box while the
// timer keeps running. Derived components see every message of the window
// (HandleWindowMessage).
//
// Thread-safety: main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "base/exceptions.h"
#include "desktop/abf_component.h"
#include "desktop/application.h"

namespace horalux {

// No timer could be had from the system.
class EOutOfResources : public Exception {
  using Exception::Exception;
};

class TabfCustomTimer : public TabfComponent {
 public:
  // Requires: application outlives this component. Throws what the toolkit throws when it
  // cannot make the window.
  TabfCustomTimer(TComponent* owner, TApplication& application);

  // The setters store the value and restart the timer. They throw EOutOfResources
  // ("Nicht genügend Timer verfügbar", program text) when the timer should run and none
  // can be had; the value stays stored.
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);
  std::uint32_t Interval() const noexcept { return interval_; }
  void SetInterval(std::uint32_t interval);
  const TNotifyEvent& OnTimer() const noexcept { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);

  TApplication& Application() const noexcept { return application_; }

 protected:
  // For derived components with a window of a richer kind: `makeWindow` makes it from the
  // procedure that leads to HandleWindowMessage.
  using TWindowMaker =
      std::function<std::unique_ptr<TComponentWindow>(TToolkit::TWindowProcedure procedure)>;
  TabfCustomTimer(TComponent* owner, TApplication& application, const TWindowMaker& makeWindow);
  // The window, as made.
  TComponentWindow& Window() const noexcept { return *window_; }

  // The hidden window's procedure: a tick runs TickStep under the application's guard;
  // anything else is left to the system (0).
  virtual long HandleWindowMessage(const TWindowMessage& message);
  // One tick: fires the tick handler.
  virtual void TickStep();
  // Stops the timer and starts it again when it should run.
  void UpdateTimer();

 private:
  TApplication& application_;
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
  std::unique_ptr<TComponentWindow> window_;  // last: it goes first
};

}  // namespace horalux
