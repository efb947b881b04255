// The hidden windows of the desktop components under Win32: top-level and never shown (the
// shell's broadcasts, "TaskbarCreated" among them, reach such windows, not message-only
// ones), with the system timer 1. The tray window also carries the notification-area icon
// (its callback message 1235), its balloon and its menu, and watches the main window for
// minimising.
//
// Thread-safety: main thread only.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "desktop/toolkit.h"
#include "desktop/tray_icon.h"

namespace horalux {

class TWin32Toolkit;

// The window itself, with the timer; what the component is not told of goes to the system.
class TWin32HiddenWindow {
 public:
  // Throws std::runtime_error when the window cannot be made.
  TWin32HiddenWindow(TWin32Toolkit& toolkit, TToolkit::TWindowProcedure procedure);
  virtual ~TWin32HiddenWindow();
  TWin32HiddenWindow(const TWin32HiddenWindow&) = delete;
  TWin32HiddenWindow& operator=(const TWin32HiddenWindow&) = delete;

  HWND Handle() const noexcept { return window_; }

 protected:
  bool StartTimer(std::uint32_t intervalMs);
  void StopTimer();
  // Every message of the window.
  virtual LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l);
  long Tell(TWindowMessage message) { return procedure_(message); }
  TWin32Toolkit& Toolkit() const noexcept { return toolkit_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);

  TWin32Toolkit& toolkit_;
  TToolkit::TWindowProcedure procedure_;
  HWND window_ = nullptr;
};

class TWin32ComponentWindow final : public TComponentWindow, public TWin32HiddenWindow {
 public:
  using TWin32HiddenWindow::TWin32HiddenWindow;
  bool SetTimer(std::uint32_t intervalMs) override { return StartTimer(intervalMs); }
  void KillTimer() override { StopTimer(); }
};

class TWin32TrayWindow final : public TTrayWindow, public TWin32HiddenWindow {
 public:
  static constexpr UINT IconMessage = TabfTrayIcon::IconMessage;
  static constexpr DWORD kRecordSize = 88;  // the record's first form, known to every shell

  TWin32TrayWindow(TWin32Toolkit& toolkit, TToolkit::TWindowProcedure procedure);
  ~TWin32TrayWindow() override;

  bool SetTimer(std::uint32_t intervalMs) override { return StartTimer(intervalMs); }
  void KillTimer() override { StopTimer(); }
  bool NotifyIcon(TNotifyIconMessage message, const TNotifyIconData& data) override;
  void ShowBalloon(const TNotifyIconData& data, const std::string& title,
                   const std::string& text) override;
  int TrackPopupMenu(const TPopupMenu& menu, TPoint at) override;
  TPoint CursorPos() override;
  TShiftState KeysHeld() override;
  // The taskbar's notification area is always there; its menu is this window's own.
  bool TrayPresent() override { return true; }
  void ExportMenu(const TPopupMenu*) override {}

 protected:
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) override;

 private:
  static LRESULT CALLBACK MainFormHook(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                       DWORD_PTR self);

  HWND hookedForm_ = nullptr;
};

}  // namespace horalux
