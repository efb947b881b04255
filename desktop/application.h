// TApplication: the application object that the main window and the desktop components
// share: the title, the flag that makes Run() show the main window, the quit request,
// message boxes (among them the error box for failures no handler catches), and work
// handed to the main thread. What needs a toolkit it asks of one (toolkit.h).
//
// Exceptions must not cross a toolkit's event loop or the system's window procedures:
// every handler that they call runs through Guard(), which turns an escaping exception
// into the error box and lets nothing else through.
//
// Thread-safety: main thread only, except Post.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <string>
#include <utility>

#include "desktop/toolkit.h"

namespace horalux {

class TApplication {
 public:
  // Requires: `toolkit` outlives this object; one per program.
  explicit TApplication(TToolkit& toolkit) : toolkit_(toolkit) {}
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  TToolkit& Toolkit() const noexcept { return toolkit_; }

  // Program text: the windows' caption, the error boxes' caption, the guard's names.
  const std::string& Title() const noexcept { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  // Whether Run() shows the main window before entering the loop. Default true.
  bool ShowMainForm() const noexcept { return showMainForm_; }
  void SetShowMainForm(bool show) noexcept { showMainForm_ = show; }

  // The quit request: from now on Terminated() says so; OnTerminate runs (under Guard),
  // then the loop is asked to end at its next turn, also when Run() has not been entered.
  void Terminate();
  bool Terminated() const noexcept { return terminated_; }
  std::function<void()> OnTerminate;

  // Shows the main window when ShowMainForm is set, then runs the loop until a quit
  // request; at once when one came before. Returns the loop's code (0 without a loop).
  int Run();
  // Handles every message waiting now, without waiting for more (the idle step).
  void ProcessMessages() { toolkit_.ProcessMessages(); }

  // The error box: caption Title, error icon, the message by ErrorBoxText.
  void ShowException(const std::exception& error);
  // Runs body; an escaping exception goes to the error box (one that is no std::exception
  // as an unknown one). Returns whether body ended normally.
  bool Guard(const std::function<void()>& body) noexcept;
  void ShowMessageBox(TMessageIcon icon, const std::string& caption, const std::string& text);

  // Any thread: runs `work` on the main thread from the loop, under Guard, in the order
  // posted, without waiting for it.
  void Post(std::function<void()> work);
  // Main thread: runs `work` under Guard once `delay` has passed.
  void After(std::chrono::milliseconds delay, std::function<void()> work);
  // The wait cursor over the program's windows while set.
  void SetWaitCursor(bool wait) { toolkit_.SetWaitCursor(wait); }

 private:
  TToolkit& toolkit_;
  std::string title_;
  bool showMainForm_ = true;
  bool terminated_ = false;
};

}  // namespace horalux
