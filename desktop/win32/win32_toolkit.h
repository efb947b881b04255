// TWin32Toolkit: what the desktop components need of a toolkit (desktop/toolkit.h), from
// Win32 on Windows: the message loop (the main window behaves as a dialog: Tab, Enter,
// mnemonics), work handed to the main thread through a message-only window, message boxes,
// the wait cursor, the main window, hidden top-level windows with SetTimer, the
// notification area through Shell_NotifyIconA and its taskbar's "TaskbarCreated", a menu
// through TrackPopupMenu, and the way to a first instance's window by its class and title.
//
// The record given to the shell has the first, 88-byte form of NOTIFYICONDATA (tip: 63
// characters); only the balloon uses the longer form that carries its texts.
//
// Thread-safety: main thread only (the thread that made the object), except Post.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "desktop/toolkit.h"

namespace horalux {

class TWin32Toolkit : public TToolkit {
 public:
  // What reaches the shell; the default calls Shell_NotifyIconA. Tests record instead.
  using TShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAA& data)>;

  // Throws std::runtime_error when its hidden window cannot be made.
  TWin32Toolkit();
  ~TWin32Toolkit() override;
  TWin32Toolkit(const TWin32Toolkit&) = delete;
  TWin32Toolkit& operator=(const TWin32Toolkit&) = delete;

  HINSTANCE Instance() const noexcept { return instance_; }
  // Not owned. Its dialog keys are handled by the loop.
  void SetMainForm(HWND form) noexcept { mainForm_ = form; }
  HWND MainForm() const noexcept { return mainForm_; }
  bool WaitCursor() const noexcept { return waitCursor_; }

  TShellNotify ShellNotify;

  int RunLoop() override;
  void PostQuit() override;
  void ProcessMessages() override;
  bool HandleMessageIfWaiting() override;
  void Post(std::function<void()> work) override;
  void After(std::chrono::milliseconds delay, std::function<void()> work) override;
  void ShowMessageBox(TMessageIcon icon, const std::string& caption,
                      const std::string& text) override;
  void SetWaitCursor(bool wait) override;

  bool MainFormVisible() override { return mainForm_ != nullptr && ::IsWindowVisible(mainForm_); }
  void ShowMainForm() override;
  void HideMainForm() override;
  void MinimizeMainForm() override;

  std::unique_ptr<TComponentWindow> NewComponentWindow(TWindowProcedure procedure) override;
  std::unique_ptr<TTrayWindow> NewTrayWindow(TWindowProcedure procedure) override;

  std::unique_ptr<TActivationListener> ListenForActivation(
      const TInstanceNames& names, const NamedMutex& instanceMutex) override;
  void BringPrevInstanceToFront(const TInstanceNames& names) override;

  // The message the shell broadcasts when the taskbar was made anew.
  static UINT TaskbarCreatedMessage();

 private:
  static LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  // Dispatches `message`; false for a quit message, which it notes instead.
  bool Dispatch(MSG& message);
  void RunPosted();
  void RunTimer(UINT_PTR id);

  HINSTANCE instance_;
  HWND hidden_ = nullptr;  // message-only: posted work and delayed work arrive here
  HWND mainForm_ = nullptr;
  bool quitting_ = false;
  bool waitCursor_ = false;
  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;  // guarded by postedMutex_
  bool wakePosted_ = false;                   // guarded by postedMutex_
  std::map<UINT_PTR, std::function<void()>> timers_;
  UINT_PTR nextTimer_ = 1;
};

// Shows a window, restores it when minimised, and brings it to the front.
void BringWindowToFront(HWND window);

}  // namespace horalux
