// Horalux: keeps this computer's clock right with the Time Protocol (RFC 868), and can
// serve it to others. Lives in the notification area; see the README.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <optional>

#include "app/program.h"
#include "app/qt/command_line.h"
#include "app/qt/form1_window.h"
#include "app/qt/qt_date_time_formats.h"
#include "app/qt/termination_signals.h"
#include "app/qt/tray_images.h"
#include "base/notice_name.h"
#include "desktop/application.h"
#include "desktop/qt/clock_service.h"
#include "desktop/qt/qt_toolkit.h"

namespace {

// The exit status when the command line is answered without starting the program.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv) {
  const horalux::TCommandLineAction action = horalux::ParseCommandLine(argc, argv);
  switch (action.kind) {
    case horalux::TCommandLineAction::kRun:
      return std::nullopt;
    case horalux::TCommandLineAction::kHelp:
      std::fputs(horalux::UsageText().c_str(), stdout);
      return 0;
    case horalux::TCommandLineAction::kVersion:
      std::fputs("Horalux " HORALUX_VERSION "\n", stdout);
      return 0;
    case horalux::TCommandLineAction::kError:
      std::fprintf(stderr, "%s%s (see %s --help)\n", horalux::NoticePrefix().c_str(),
                   action.error.c_str(), argv[0]);
      return 2;
  }
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  horalux::SetNoticeName(argv[0]);
  horalux::IgnoreBrokenPipes();
  if (const std::optional<int> answered = AnswerCommandLine(argc, argv)) return *answered;
  QApplication qtApplication(argc, argv);
  QApplication::setWindowIcon(horalux::ProgramIcon());
  // The window's application id on Wayland and the notifications' desktop entry: the
  // desktop shows Horalux's icon and name for them.
  QGuiApplication::setDesktopFileName(QStringLiteral(HORALUX_APP_ID));

  // The window hides into the notification area; only "Exit" or its close box end the
  // program.
  horalux::TQtToolkit toolkit;
  horalux::TApplication application(toolkit);
  const horalux::TTerminationSignals terminationSignals(
      [&application] { application.Terminate(); });

  horalux::TForm1Environment environment;
  // Directly with the right to set the clock; without it through the system's time service.
  environment.clockSetter = horalux::MakeDesktopClockSetter();
  environment.formats = std::make_unique<horalux::TQtDateTimeFormats>();
  environment.clockRightsAdvice =
      "Horalux needs the right to set the clock. See \"Rights\" in its README, or run: "
      "sudo setcap cap_sys_time,cap_net_bind_service+ep " +
      QCoreApplication::applicationFilePath().toStdString();
  return horalux::RunProgram<horalux::TForm1Window>(application, toolkit, std::move(environment));
}
