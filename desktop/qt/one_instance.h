// TabfOneInstance: keeps a second copy of a program from running. Its after-loading step
// checks whether another instance of the same application title holds the guard; if so
// it brings that instance's main window forward, optionally tells the user, and ends
// this instance at the first turn of its event loop.
//
// The guard is two named locks built from the title (platform/named_mutex.h says where
// they live): "<title>.OneInstance.CriticalSection", held only during the check so that
// two instances starting at once are serialised, and "<title>.OneInstance.Default", held
// by the first instance as long as this component lives. The first instance also listens
// on a local socket named from the title in the folder of that lock, through which a
// second one asks it to show its main window.
//
// Thread-safety: main thread only.
#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "desktop/qt/abf_component.h"
#include "desktop/qt/application.h"
#include "platform/named_mutex.h"

namespace horalux {

// Replaces the message box; Terminate is true on entry, false lets this instance run.
using TabfOneInstanceShowMessage = std::function<void(TComponent& sender, bool& Terminate)>;

class TabfOneInstance : public TabfComponent {
 public:
  // Requires: application outlives this component.
  TabfOneInstance(TComponent* owner, TApplication& application);
  // Releases the guard and stops listening.
  ~TabfOneInstance() override;

  bool ActivatePrevInstance = true;
  // When empty: Application "<title>" is already running.
  QString Message;
  bool ShowMessage = false;
  TabfOneInstanceShowMessage OnShowMessage;

  // Runs HandleAlreadyRunning when AnotherInstanceRunning says so.
  void Loaded() override;

  // The check. True when another instance holds the guard or is checking at this moment.
  // False when this instance holds the guard now, and also when no private folder can
  // hold the guard's locks: the instance then runs unguarded rather than never starting,
  // and says so in one line on standard error. Never throws for system failures.
  virtual bool AnotherInstanceRunning();

 protected:
  // Clears the application's show flag, tells the user when asked, brings the first
  // instance forward when asked, then asks the application to terminate, or, when an
  // OnShowMessage handler cleared Terminate, puts the show flag back.
  virtual void HandleAlreadyRunning();
  // Asks the first instance to show its main window; nothing when it does not answer.
  virtual void BringPrevInstanceToFront();

 private:
  void ListenForActivation();
  void AcceptActivation();
  void ReadActivation(QLocalSocket& socket);

  TApplication& application_;
  std::unique_ptr<NamedMutex> instanceMutex_;
  std::unique_ptr<QLocalServer> server_;
};

// Shows a window, restores it when minimised, raises and activates it.
void BringWindowToFront(QWidget& window);

}  // namespace horalux
