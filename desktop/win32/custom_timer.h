// TabfCustomTimer: a component with a hidden top-level window of its own and one system
// timer (identifier 1) on it. The timer runs while Enabled is set, Interval is not 0 and a
// tick handler is set; each tick runs TickStep, and a failure in it goes to the
// application's error box while the timer keeps running. Derived components see every
// message of the window (HandleWindowMessage).
//
// Thread-safety: main thread only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "desktop/win32/abf_component.h"
#include "desktop/win32/application.h"
#include "base/exceptions.h"

namespace horalux {

// No timer could be had from the system.
class EOutOfResources : public Exception {
  using Exception::Exception;
};

class TabfCustomTimer : public TabfComponent {
 public:
  // Requires: application outlives this component. Throws std::runtime_error when the
  // window cannot be made.
  TabfCustomTimer(TComponent* owner, TApplication& application);
  ~TabfCustomTimer() override;

  // The setters store the value and restart the timer. They throw EOutOfResources
  // ("Nicht genügend Timer verfügbar" in the user's code page) when the timer should run
  // and none can be had; the value stays stored.
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);
  std::uint32_t Interval() const noexcept { return interval_; }
  void SetInterval(std::uint32_t interval);
  const TNotifyEvent& OnTimer() const noexcept { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);

  TApplication& Application() const noexcept { return application_; }
  HWND Handle() const noexcept { return window_; }

 protected:
  // The hidden window's procedure: WM_TIMER runs TickStep, the rest goes to the system.
  virtual LRESULT HandleWindowMessage(UINT message, WPARAM w, LPARAM l);
  // One tick: fires the tick handler.
  virtual void TickStep();
  // Stops the timer and starts it again when it should run.
  void UpdateTimer();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);

  TApplication& application_;
  HWND window_ = nullptr;
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
  bool running_ = false;
};

}  // namespace horalux
