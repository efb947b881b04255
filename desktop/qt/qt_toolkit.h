// TQtToolkit: what the desktop components need of a toolkit (desktop/toolkit.h), from Qt 6
// Widgets on Linux: the event loop, message boxes, the override cursor, the main window,
// hidden windows as QObjects with Qt timers, the notification area (a panel's
// StatusNotifierItem host, or else an XEmbed tray through QSystemTrayIcon), the desktop's
// notifications, and the way to a first instance through a local socket beside the
// guard's lock.
//
// Thread-safety: main thread only, except Post. Requires: a QApplication exists for as
// long as this object.
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimerEvent>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "desktop/qt/dbus_menu.h"
#include "desktop/qt/desktop_notifier.h"
#include "desktop/qt/locale_text.h"
#include "desktop/toolkit.h"

namespace horalux {

class TQtToolkit : public TToolkit {
 public:
  // Program text is shown through `text`. Turns off Qt's quit-on-last-window-closed: a
  // program in the notification area has no window open most of the time, and closing a
  // message box then must not end it.
  // `bus` carries the notification area and the notifications: the session bus in the
  // program, a private one in tests.
  explicit TQtToolkit(LocaleText text = LocaleText::User(),
                      QDBusConnection bus = QDBusConnection::sessionBus());

  const LocaleText& Text() const noexcept { return text_; }
  // Not owned; forgotten by itself when the widget is destroyed.
  void SetMainForm(QWidget* form) {
    mainForm_ = form;
    mainFormPlaced_ = false;
  }
  QWidget* MainForm() const noexcept { return mainForm_; }

  int RunLoop() override;
  void PostQuit() override;
  void ProcessMessages() override;
  bool HandleMessageIfWaiting() override;
  void Post(std::function<void()> work) override;
  void After(std::chrono::milliseconds delay, std::function<void()> work) override;
  void ShowMessageBox(TMessageIcon icon, const std::string& caption,
                      const std::string& text) override;
  void SetWaitCursor(bool wait) override;

  bool MainFormVisible() override { return mainForm_ != nullptr && mainForm_->isVisible(); }
  void ShowMainForm() override;
  void HideMainForm() override;
  void MinimizeMainForm() override;

  std::unique_ptr<TComponentWindow> NewComponentWindow(TWindowProcedure procedure) override;
  std::unique_ptr<TTrayWindow> NewTrayWindow(TWindowProcedure procedure) override;

  std::unique_ptr<TActivationListener> ListenForActivation(
      const TInstanceNames& names, const NamedMutex& instanceMutex) override;
  void BringPrevInstanceToFront(const TInstanceNames& names) override;

 private:
  LocaleText text_;
  QDBusConnection bus_;
  QPointer<QWidget> mainForm_;
  bool mainFormPlaced_ = false;
  QObject requests_;  // context of posted work and quit requests; they die with it
};

// A hidden window of either kind: what Qt reports goes to the procedure it was made with,
// and it has one timer.
template <class Window>
class TQtWindow : public Window, protected QObject {
 public:
  explicit TQtWindow(TToolkit::TWindowProcedure procedure) : procedure_(std::move(procedure)) {}
  ~TQtWindow() override { KillTimer(); }

  // Intervals beyond what Qt takes are clamped, as the system clamps its own timers.
  bool SetTimer(std::uint32_t intervalMs) override {
    KillTimer();
    timerId_ = startTimer(static_cast<int>(std::min<std::uint32_t>(intervalMs, INT_MAX)));
    return timerId_ != 0;
  }
  void KillTimer() override {
    if (timerId_ != 0) killTimer(timerId_);
    timerId_ = 0;
  }

 protected:
  void timerEvent(QTimerEvent* event) override {
    if (event->timerId() == timerId_) Tell({TWindowMessage::Timer});
  }
  void Tell(const TWindowMessage& message) { procedure_(message); }

 private:
  TToolkit::TWindowProcedure procedure_;
  int timerId_ = 0;
};

class TStatusNotifierItem;

// The hidden window of a notification-area icon. Where the session bus has a panel's
// StatusNotifierItem watcher, the icon is an item of that protocol with the component's
// menu exported: the panel's primary action is the double click, and what the user does
// in the menu is reported as menu messages. Elsewhere it is a QSystemTrayIcon, whose
// activations become the icon's mouse messages (a click is a left press and release, a
// double click only the double click, as Qt reports the click before it; the context
// request a right press and release), with a QMenu made from the component's menu when it
// opens. A watcher that comes or goes later moves the icon. Notifications go to the
// desktop's notification server, or else to standard error.
//
// QSystemTrayIcon is made only while no watcher is there: Qt would otherwise put up a
// second item of its own, and it decides between the two once per process.
class TQtTrayWindow : public TQtWindow<TTrayWindow> {
 public:
  // `bus`: the session bus in the program, a private one in tests.
  TQtTrayWindow(TQtToolkit& toolkit, TToolkit::TWindowProcedure procedure,
                QDBusConnection bus = QDBusConnection::sessionBus());
  ~TQtTrayWindow() override;

  bool NotifyIcon(TNotifyIconMessage message, const TNotifyIconData& data) override;
  void ShowBalloon(const TNotifyIconData& data, const std::string& title,
                   const std::string& text) override;
  int TrackPopupMenu(const TPopupMenu& menu, TPoint at) override;
  TPoint CursorPos() override;
  TShiftState KeysHeld() override;
  bool TrayPresent() override;
  void ExportMenu(const TPopupMenu* menu) override;

  // The XEmbed icon behind this window (made now if need be), for tests.
  QSystemTrayIcon& SystemTrayIcon();
  // The StatusNotifierItem, while the icon is one; for tests.
  const TStatusNotifierItem* Item() const noexcept { return item_.get(); }
  // What Qt reports of the icon, as mouse messages to the component.
  void Activated(QSystemTrayIcon::ActivationReason reason);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Mouse(TTrayMouseMessage message) { Tell({TWindowMessage::IconMessage, message}); }
  // Puts the icon where the desktop has it now.
  void Place();
  void ShowItem();
  void ShowXEmbedIcon();
  std::unique_ptr<TStatusNotifierItem> MakeItem();

  TQtToolkit& toolkit_;
  QDBusConnection bus_;
  QDBusServiceWatcher watcher_;
  bool watcherPresent_ = false;
  std::unique_ptr<QSystemTrayIcon> xembedIcon_;
  std::unique_ptr<TStatusNotifierItem> item_;
  TDesktopNotifier notifier_;
  // The icon as the record last gave it, and the menu as last exported.
  QIcon icon_;
  QString tip_;
  QString title_;
  bool shown_ = false;
  std::vector<TDBusMenu::TItem> menu_;
};

}  // namespace horalux
