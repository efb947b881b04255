// The program's start and end, the same whatever the toolkit: the application's title,
// the window and its controller (whose creation runs the components' after-loading steps,
// the single-instance guard's among them, then FormCreate), the message loop, the exit
// code. The entries (app/qt/main.cpp, app/win32/main.cpp) make the toolkit, the
// application object and the environment, and call it.
#pragma once

#include <functional>
#include <memory>

#include "app/form1_environment.h"
#include "app/form1_view.h"
#include "desktop/application.h"

namespace horalux {

// Returns the loop's exit code, or 1 when the window could not even be built (the failure
// is shown in the application's error box).
int RunProgram(TApplication& application,
               const std::function<std::unique_ptr<TForm1View>()>& makeWindow,
               TForm1Environment environment);

}  // namespace horalux
