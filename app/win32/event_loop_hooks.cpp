#include "app/win32/event_loop_hooks.h"

#include "base/main_thread.h"
#include "desktop/application.h"
#include "desktop/win32/win32_toolkit.h"
#include "net/anti_freeze.h"
#include "server/main_thread_queue.h"

namespace horalux {

void InstallEventLoopHooks(TApplication& application, TWin32Toolkit& toolkit) {
  SetMainThread();
  TIdAntiFreeze::InstallPendingWork({
      [&toolkit] { toolkit.ProcessMessages(); },
      [&toolkit] { toolkit.HandleMessageIfWaiting(); },
  });
  InstallMainThreadWakeup([&application] { application.Post(&DrainMainThreadQueue); });
}

void RemoveEventLoopHooks() {
  InstallMainThreadWakeup({});
  TIdAntiFreeze::InstallPendingWork({});
}

}  // namespace horalux
