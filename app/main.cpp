// Horalux: keeps this computer's clock right with the Time Protocol (RFC 868), and can
// serve it to others. Lives in the notification area; see the README.
#include <QApplication>
#include <QDBusConnection>
#include <QIcon>
#include <chrono>
#include <cstdio>
#include <optional>

#include "app/command_line.h"
#include "app/event_loop_hooks.h"
#include "app/form1.h"
#include "app/termination_signals.h"
#include "desktop/application.h"
#include "desktop/clock_service.h"
#include "desktop/tray_images.h"
#include "server/thread.h"

namespace {

// The exit status when the command line is answered without starting the program.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv) {
  const horalux::CommandLineAction action = horalux::ParseCommandLine(argc, argv);
  switch (action.kind) {
    case horalux::CommandLineAction::kRun:
      return std::nullopt;
    case horalux::CommandLineAction::kHelp:
      std::fputs(horalux::UsageText().c_str(), stdout);
      return 0;
    case horalux::CommandLineAction::kVersion:
      std::fputs("Horalux " HORALUX_VERSION "\n", stdout);
      return 0;
    case horalux::CommandLineAction::kError:
      std::fprintf(stderr, "horalux: %s (see horalux --help)\n", action.error.c_str());
      return 2;
  }
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  horalux::IgnoreBrokenPipes();
  if (const std::optional<int> answered = AnswerCommandLine(argc, argv)) return *answered;
  QApplication qtApplication(argc, argv);
  // The window hides into the notification area; only "Exit" or its close box end the
  // program.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(horalux::ProgramIcon());

  horalux::TApplication application;
  application.SetTitle(QStringLiteral("Horalux"));
  horalux::InstallEventLoopHooks();
  const horalux::TerminationSignals terminationSignals([&application] { application.Terminate(); });

  horalux::Form1Environment environment;
  environment.application = &application;
  environment.store = horalux::NewUserRegistryStore();
  // Directly with the right to set the clock; without it through the system's time service.
  environment.clockSetter = horalux::MakeDesktopClockSetter(QDBusConnection::systemBus());
  int exitCode = 1;
  try {
    horalux::TForm1 form(std::move(environment));
    exitCode = application.Run();
  } catch (const std::exception& error) {
    // Nothing caught it on the way: the window could not even be built.
    application.ShowException(error);
  }
  horalux::RemoveEventLoopHooks();
  // Connection threads dispose of themselves; let the last of them finish.
  horalux::AwaitThreadsEnded(std::chrono::seconds(5));
  return exitCode;
}
