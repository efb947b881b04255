#include "app/program.h"

#include <chrono>
#include <exception>

#include "app/form1.h"
#include "base/main_thread.h"
#include "net/anti_freeze.h"
#include "platform/registry_store.h"
#include "server/main_thread_queue.h"
#include "server/thread.h"

namespace horalux {
namespace {

// Connection threads dispose of themselves; the last of them may still be finishing.
constexpr std::chrono::seconds kThreadsEndWait{5};

}  // namespace

TLoopHooks::TLoopHooks(TApplication& application) {
  SetMainThread();
  TToolkit& toolkit = application.Toolkit();
  TIdAntiFreeze::InstallPendingWork({
      [&toolkit] { toolkit.ProcessMessages(); },
      [&toolkit] { toolkit.HandleMessageIfWaiting(); },
  });
  InstallMainThreadWakeup([&application] { application.Post(&DrainMainThreadQueue); });
}

TLoopHooks::~TLoopHooks() {
  InstallMainThreadWakeup({});
  TIdAntiFreeze::InstallPendingWork({});
}

int RunProgram(TApplication& application,
               const std::function<std::unique_ptr<TForm1View>()>& makeWindow,
               TForm1Environment environment) {
  application.SetTitle("Horalux");
  environment.title = application.Title();
  int exitCode = 1;
  {
    const TLoopHooks hooks(application);
    try {
      environment.store = NewUserRegistryStore();
      const std::unique_ptr<TForm1View> window = makeWindow();
      TForm1 form(*window, std::move(environment));
      exitCode = application.Run();
    } catch (const std::exception& error) {
      // Nothing caught it on the way: the window could not even be built.
      application.ShowException(error);
    }
  }
  AwaitThreadsEnded(kThreadsEndWait);
  return exitCode;
}

}  // namespace horalux
