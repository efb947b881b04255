// Horalux: keeps this computer's clock right with the Time Protocol (RFC 868), and can
// serve it to others. Lives in the notification area; see the README.
#include <exception>
#include <memory>

#include "app/program.h"
#include "app/win32/form1_window.h"
#include "app/win32/win32_date_time_formats.h"
#include "base/notice_name.h"
#include "desktop/application.h"
#include "desktop/win32/win32_toolkit.h"
#include "platform/clock_setter_win32.h"

int main(int, char** argv) {
  horalux::SetNoticeName(argv[0]);
  try {
    // The window hides into the notification area; only "Exit" or its close box end the
    // program.
    horalux::TWin32Toolkit toolkit;
    horalux::TApplication application(toolkit);

    horalux::TForm1Environment environment;
    environment.clockSetter = horalux::MakeWin32ClockSetter();
    environment.formats = std::make_unique<horalux::TWin32DateTimeFormats>();
    environment.clockRightsAdvice =
        "Setting the clock needs the right \"Change the system time\": start Horalux as an "
        "administrator, or have that right given to your account.";
    return horalux::RunProgram<horalux::TForm1Window>(application, toolkit, std::move(environment));
  } catch (const std::exception&) {
    return 1;  // not even the toolkit: nothing to show anything with
  }
}
