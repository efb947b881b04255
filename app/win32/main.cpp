// Horalux: keeps this computer's clock right with the Time Protocol (RFC 868), and can
// serve it to others. Lives in the notification area; see the README.
#include <chrono>
#include <exception>
#include <memory>

#include "app/form1.h"
#include "app/win32/event_loop_hooks.h"
#include "app/win32/form1_window.h"
#include "app/win32/win32_date_time_formats.h"
#include "desktop/win32/application.h"
#include "platform/clock_setter_win32.h"
#include "platform/registry_store.h"
#include "server/thread.h"

int main() {
  int exitCode = 1;
  try {
    // The window hides into the notification area; only "Exit" or its close box end the
    // program.
    horalux::TApplication application;
    application.SetTitle("Horalux");
    horalux::InstallEventLoopHooks(application);

    horalux::Form1Environment environment;
    environment.title = application.Title();
    environment.store = horalux::NewUserRegistryStore();
    environment.clockSetter = horalux::MakeWin32ClockSetter();
    environment.formats = std::make_unique<horalux::TWin32DateTimeFormats>();
    environment.clockRightsAdvice =
        "Setting the clock needs the right \"Change the system time\": start Horalux as an "
        "administrator, or have that right given to your account.";
    try {
      horalux::TForm1Window window(application);
      horalux::TForm1 form(window, std::move(environment));
      exitCode = application.Run();
    } catch (const std::exception& error) {
      // Nothing caught it on the way: the window could not even be built.
      application.ShowException(error);
    }
    horalux::RemoveEventLoopHooks();
  } catch (const std::exception&) {
    return 1;  // not even the application object: nothing to show anything with
  }
  // Connection threads dispose of themselves; let the last of them finish.
  horalux::AwaitThreadsEnded(std::chrono::seconds(5));
  return exitCode;
}
