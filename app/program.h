// The program's start and end, the same whatever the toolkit: the application's title,
// the hooks that tie the network core to the toolkit's loop, the window and its controller
// (whose creation runs the components' after-loading steps, the single-instance guard's
// among them, then FormCreate), the message loop, the exit code, and the wait for the
// network's threads. The entries (app/qt/main.cpp, app/win32/main.cpp) make the toolkit,
// the application object and the environment, and call it.
#pragma once

#include <functional>
#include <memory>

#include "app/form1_environment.h"
#include "app/form1_view.h"
#include "desktop/application.h"

namespace horalux {

// While it lives, the main thread's network waits handle the toolkit's messages in their
// idle steps, and work that other threads hand to the main thread runs from the loop,
// under the application's guard (a failing hand-off shows the error box; the rest of the
// queue runs at the next turn). Main thread; one at a time. Requires: `application`
// outlives it.
class TLoopHooks {
 public:
  explicit TLoopHooks(TApplication& application);
  ~TLoopHooks();
  TLoopHooks(const TLoopHooks&) = delete;
  TLoopHooks& operator=(const TLoopHooks&) = delete;
};

// Runs on the user's settings store (platform/registry_store.h), whatever `environment`
// holds there. Returns the loop's exit code, or 1 when the window could not even be built
// (the failure is shown in the application's error box). Returns once the network's
// threads have ended, or after a few seconds of waiting for them.
int RunProgram(TApplication& application,
               const std::function<std::unique_ptr<TForm1View>()>& makeWindow,
               TForm1Environment environment);

// The same with the window TWindow(application, toolkit).
template <class TWindow, class TWindowToolkit>
int RunProgram(TApplication& application, TWindowToolkit& toolkit, TForm1Environment environment) {
  return RunProgram(
      application, [&] { return std::make_unique<TWindow>(application, toolkit); },
      std::move(environment));
}

}  // namespace horalux
