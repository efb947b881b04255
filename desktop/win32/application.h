// The application object that the main window and the desktop components share: the
// title, the main window, the flag that makes Run() show it, the message loop and the quit
// request, the message boxes (among them the error box for failures no handler catches),
// the wait cursor, and work handed to the main thread: posted from any thread, or after a
// delay.
//
// Exceptions must not cross the system's window procedures: every handler that a window
// procedure calls runs through Guard(), which turns an escaping std::exception into the
// error box and stops anything else there.
//
// Thread-safety: main thread only (the thread that made the object), except Post.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace horalux {

enum class TMessageIcon : unsigned { Warning = MB_ICONWARNING, Error = MB_ICONERROR };

class TApplication {
 public:
  // Shows a message box; the default presenter is MessageBoxA, modal. Tests install one
  // that records what would have been shown.
  using TMessagePresenter =
      std::function<void(TMessageIcon icon, const std::string& caption, const std::string& text)>;

  // One per program. Throws std::runtime_error when its hidden window cannot be made.
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  HINSTANCE Instance() const noexcept { return instance_; }
  const std::string& Title() const noexcept { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  // Whether Run() shows the main window before entering the loop. Default true.
  bool ShowMainForm() const noexcept { return showMainForm_; }
  void SetShowMainForm(bool show) noexcept { showMainForm_ = show; }
  // Not owned. Its dialog keys (Tab, Enter, mnemonics) are handled by the loop.
  HWND MainForm() const noexcept { return mainForm_; }
  void SetMainForm(HWND form) noexcept { mainForm_ = form; }

  // The quit request: OnTerminate runs, then the loop ends at its next turn, also when
  // Run() has not been entered yet.
  void Terminate();
  bool Terminated() const noexcept { return terminated_; }
  std::function<void()> OnTerminate;

  // Shows the main window when ShowMainForm is set, then handles messages until a quit
  // request. Returns 0.
  int Run();
  // Handles every message waiting now, without waiting for more (the idle step).
  void ProcessMessages();
  // Handles one message if one is waiting; returns whether one was.
  bool HandleMessageIfWaiting();

  // The error box: caption Title, error icon, the message by ErrorBoxText.
  void ShowException(const std::exception& error);
  // Runs body; an escaping std::exception goes to the error box, anything else is stopped
  // here. Returns whether body ended normally.
  bool Guard(const std::function<void()>& body) noexcept;
  void ShowMessageBox(TMessageIcon icon, const std::string& caption, const std::string& text);
  void SetMessagePresenter(TMessagePresenter presenter) { presenter_ = std::move(presenter); }

  // Any thread: runs `work` on the main thread from the loop (or an idle step), in the
  // order posted, without waiting for it. Work still queued dies with this object.
  void Post(std::function<void()> work);
  // Main thread: runs `work` once `delay` has passed.
  void After(std::chrono::milliseconds delay, std::function<void()> work);

  // The wait cursor over the program's windows while set. Windows that set their own
  // cursor ask WaitCursor() first.
  void SetWaitCursor(bool wait);
  bool WaitCursor() const noexcept { return waitCursor_; }

 private:
  static LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  void Dispatch(MSG& message);
  void RunPosted();
  void RunTimer(UINT_PTR id);

  HINSTANCE instance_;
  HWND hidden_ = nullptr;  // message-only: posted work and delayed work arrive here
  HWND mainForm_ = nullptr;
  std::string title_;
  bool showMainForm_ = true;
  bool terminated_ = false;
  bool waitCursor_ = false;
  TMessagePresenter presenter_;

  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;  // guarded by postedMutex_
  std::map<UINT_PTR, std::function<void()>> timers_;
  UINT_PTR nextTimer_ = 1;
};

}  // namespace horalux
