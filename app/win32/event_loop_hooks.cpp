#include "app/win32/event_loop_hooks.h"

#include "base/main_thread.h"
#include "desktop/win32/application.h"
#include "net/anti_freeze.h"
#include "server/main_thread_queue.h"

namespace horalux {

void InstallEventLoopHooks(TApplication& application) {
  SetMainThread();
  TIdAntiFreeze::InstallPendingWork({
      [&application] { application.ProcessMessages(); },
      [&application] { application.HandleMessageIfWaiting(); },
  });
  InstallMainThreadWakeup([&application] { application.Post(&DrainMainThreadQueue); });
}

void RemoveEventLoopHooks() {
  InstallMainThreadWakeup({});
  TIdAntiFreeze::InstallPendingWork({});
}

}  // namespace horalux
