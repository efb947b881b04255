// TabfOneInstance: keeps a second copy of a program from running. Its after-loading step
// checks whether another instance of the same application title holds the guard; if so it
// brings that instance's main window forward, optionally tells the user, and ends this
// instance at the first turn of its message loop.
//
// The guard is two named locks built from the title (platform/named_mutex.h):
// "<title>.OneInstance.CriticalSection", held only during the check so that two instances
// starting at once are serialised, and "<title>.OneInstance.Default", held by the first
// instance as long as this component lives; one whose holder died is free again, and the
// next start takes it over. The first instance also listens, through its toolkit, for a
// later one's request to come forward ("<title>.OneInstance.Activation").
//
// Thread-safety: main thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "desktop/abf_component.h"
#include "desktop/application.h"
#include "platform/named_mutex.h"

namespace horalux {

// Replaces the message box; Terminate is true on entry, false lets this instance run.
using TabfOneInstanceShowMessage = std::function<void(TComponent& sender, bool& Terminate)>;

class TabfOneInstance : public TabfComponent {
 public:
  // Requires: application outlives this component.
  TabfOneInstance(TComponent* owner, TApplication& application);
  // Stops listening and releases the guard.
  ~TabfOneInstance() override = default;

  bool ActivatePrevInstance = true;
  // Program text; when empty: Application "<title>" is already running.
  std::string Message;
  bool ShowMessage = false;
  TabfOneInstanceShowMessage OnShowMessage;

  // Runs HandleAlreadyRunning when AnotherInstanceRunning says so.
  void Loaded() override;

  // The check. True when another instance holds the guard or is checking at this moment.
  // False when this instance holds the guard now, and also when no lock can be made: the
  // instance then runs unguarded rather than never starting, and says so in one line on
  // standard error. Never throws for system failures.
  virtual bool AnotherInstanceRunning();

  // The names of the guard and of the first instance's channel, from the title.
  TInstanceNames Names() const;

 protected:
  // Clears the application's show flag, tells the user when asked, brings the first
  // instance forward when asked, then asks the application to terminate, or, when an
  // OnShowMessage handler cleared Terminate, puts the show flag back.
  virtual void HandleAlreadyRunning();
  virtual void BringPrevInstanceToFront();

 private:
  TApplication& application_;
  std::unique_ptr<NamedMutex> instanceMutex_;
  std::unique_ptr<TActivationListener> listener_;  // goes before the lock it serves
};

}  // namespace horalux
