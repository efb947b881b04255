// A minimal program around the single-instance guard for the tests that start real
// processes. It is arranged like the real program: the notification-area icon keeps the
// main window hidden at start, then the guard checks. It reports on standard output, one
// line each: "first" or "second" after the check, "message <text>" for a message box,
// "shown" when its main window appears (then "token <token>" when it was given an
// activation token), "state normal" or "state minimized" when the window's state changes,
// "ended" when its event loop ended.
//
// Usage: one_instance_probe TITLE [--show-message] [--minimized] [--token=TOKEN]
//   --show-message  the guard tells the user (the message is reported, not shown)
//   --minimized     no tray icon; the main window starts shown and minimised
//   --token=TOKEN   started with TOKEN as its activation token
#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <string>

#include "desktop/application.h"
#include "desktop/one_instance.h"
#include "desktop/qt/qt_icon.h"
#include "desktop/qt/qt_toolkit.h"
#include "desktop/tray_icon.h"

namespace {

void Say(const std::string& line) {
  std::fputs((line + '\n').c_str(), stdout);
  std::fflush(stdout);
}

class WindowReporter : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show) {
      Say("shown");
      const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
      if (!token.isEmpty()) Say("token " + token.toStdString());
    }
    if (event->type() == QEvent::WindowStateChange) {
      Say(window->isMinimized() ? "state minimized" : "state normal");
    }
    return false;
  }
};

// Boxes are said, not shown: nobody is there to close them.
class TSayingToolkit : public horalux::TQtToolkit {
 public:
  void ShowMessageBox(horalux::TMessageIcon, const std::string&, const std::string& text) override {
    Say("message " + text);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() < 2) {
    std::fputs("usage: one_instance_probe TITLE [--show-message] [--minimized]\n", stderr);
    return 2;
  }
  const bool minimized = arguments.contains(QStringLiteral("--minimized"));
  for (const QString& argument : arguments) {
    if (argument.startsWith(QStringLiteral("--token="))) {
      qputenv("XDG_ACTIVATION_TOKEN", argument.mid(8).toUtf8());
    }
  }

  TSayingToolkit toolkit;
  horalux::TApplication application(toolkit);
  application.SetTitle(toolkit.Text().ToBytes(arguments.at(1)));

  QWidget window;
  WindowReporter reporter;
  window.installEventFilter(&reporter);
  toolkit.SetMainForm(&window);
  if (minimized) window.showMinimized();

  horalux::TComponent owner;
  auto& tray = horalux::MakeComponent<horalux::TabfTrayIcon>(owner, application);
  QPixmap image(16, 16);
  image.fill(Qt::red);
  const horalux::TQtIcon icon{QIcon(image)};
  tray.SetIcon(&icon);
  tray.SetMinimizeOnStart(!minimized);
  auto& guard = horalux::MakeComponent<horalux::TabfOneInstance>(owner, application);
  guard.ShowMessage = arguments.contains(QStringLiteral("--show-message"));

  tray.Loaded();
  guard.Loaded();
  Say(application.Terminated() ? "second" : "first");

  const int code = application.Run();
  Say("ended");
  return code;
}
