// TabfOneInstance: keeps a second copy of a program from running. Its after-loading step
// checks whether another instance of the same application title holds the guard; if so it
// brings that instance's main window forward, optionally tells the user, and ends this
// instance at the first turn of its message loop.
//
// The guard is two named mutexes built from the title (platform/named_mutex.h):
// "<title>.OneInstance.CriticalSection", held only during the check so that two instances
// starting at once are serialised, and "<title>.OneInstance.Default", held by the first
// instance as long as this component lives; a holder that died leaves it abandoned, which
// the next start takes over.
//
// Bringing forward: the second instance finds the first one's main window (a top-level
// window of its own main window's class whose text is the title), allows it to take the
// foreground and posts it the registered message "<title>.OneInstance.Activate"; the first
// instance, which watches its main window for it, shows that window and brings it to the
// front. A hidden window cannot be raised from outside, and only the first instance knows
// how its window comes back.
//
// Thread-safety: main thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "desktop/win32/abf_component.h"
#include "desktop/win32/application.h"
#include "platform/named_mutex.h"

namespace horalux {

// Replaces the message box; Terminate is true on entry, false lets this instance run.
using TabfOneInstanceShowMessage = std::function<void(TComponent& sender, bool& Terminate)>;

class TabfOneInstance : public TabfComponent {
 public:
  // Requires: application outlives this component; its main window, when it has one,
  // exists already.
  TabfOneInstance(TComponent* owner, TApplication& application);
  // Releases the guard.
  ~TabfOneInstance() override;

  bool ActivatePrevInstance = true;
  // When empty: Application "<title>" is already running.
  std::string Message;
  bool ShowMessage = false;
  TabfOneInstanceShowMessage OnShowMessage;

  // Runs HandleAlreadyRunning when AnotherInstanceRunning says so.
  void Loaded() override;

  // The check. True when another instance holds the guard or is checking at this moment.
  // False when this instance holds the guard now, and also when no mutex can be made: the
  // instance then runs unguarded rather than never starting, and says so in one line on
  // standard error. Never throws for system failures.
  virtual bool AnotherInstanceRunning();

  // The registered message that asks the first instance to come forward.
  UINT ActivateMessage() const;

 protected:
  // Clears the application's show flag, tells the user when asked, brings the first
  // instance forward when asked, then asks the application to terminate, or, when an
  // OnShowMessage handler cleared Terminate, puts the show flag back.
  virtual void HandleAlreadyRunning();
  virtual void BringPrevInstanceToFront();

 private:
  static LRESULT CALLBACK MainFormHook(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                       DWORD_PTR self);
  HWND FindPrevInstanceWindow() const;

  TApplication& application_;
  std::unique_ptr<NamedMutex> instanceMutex_;
  HWND hookedForm_ = nullptr;
  UINT activateMessage_ = 0;
};

// Shows a window, restores it when minimised, and brings it to the front.
void BringWindowToFront(HWND window);

}  // namespace horalux
