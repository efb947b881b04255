// TQtToolkit: what the desktop components need of a toolkit (desktop/toolkit.h), from Qt 6
// Widgets on Linux: the event loop, message boxes (traced, see ui_trace.h), the override
// cursor, the main window, hidden windows as QObjects with Qt timers, the notification
// area as a QSystemTrayIcon with a QMenu, and the way to a first instance through a local
// socket beside the guard's lock.
//
// Thread-safety: main thread only, except Post. Requires: a QApplication exists for as
// long as this object.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>
#include <memory>

#include "desktop/qt/locale_text.h"
#include "desktop/toolkit.h"

namespace horalux {

class TQtToolkit : public TToolkit {
 public:
  // Program text is shown through `text`. Turns off Qt's quit-on-last-window-closed: a
  // program in the notification area has no window open most of the time, and closing a
  // message box then must not end it.
  explicit TQtToolkit(LocaleText text = LocaleText::User());
  ~TQtToolkit() override;

  const LocaleText& Text() const noexcept { return text_; }
  // Not owned; forgotten by itself when the widget is destroyed.
  void SetMainForm(QWidget* form) { mainForm_ = form; }
  QWidget* MainForm() const noexcept { return mainForm_; }

  int RunLoop() override;
  void PostQuit() override;
  void ProcessMessages() override;
  void Post(std::function<void()> work) override;
  void After(std::chrono::milliseconds delay, std::function<void()> work) override;
  void ShowMessageBox(TMessageIcon icon, const std::string& caption,
                      const std::string& text) override;
  void SetWaitCursor(bool wait) override;

  bool HasMainForm() override { return mainForm_ != nullptr; }
  bool MainFormVisible() override { return mainForm_ != nullptr && mainForm_->isVisible(); }
  void ShowMainForm() override;
  void HideMainForm() override;

  std::unique_ptr<TComponentWindow> NewComponentWindow(TWindowProcedure procedure) override;
  std::unique_ptr<TTrayWindow> NewTrayWindow(TWindowProcedure procedure) override;

  std::unique_ptr<TActivationListener> ListenForActivation(
      const TInstanceNames& names, const NamedMutex& instanceMutex) override;
  void BringPrevInstanceToFront(const TInstanceNames& names) override;

 private:
  LocaleText text_;
  QPointer<QWidget> mainForm_;
  QObject requests_;  // context of posted work and quit requests; they die with it
};

// The hidden window of a notification-area icon: a QSystemTrayIcon, whose activations
// become the icon's mouse messages (a click is a left press and release, a double click
// only the double click, as Qt reports the click before it; the context request a right
// press and release), and a QMenu made from the component's menu when it opens.
class TQtTrayWindow : public TTrayWindow, private QObject {
 public:
  TQtTrayWindow(TQtToolkit& toolkit, TToolkit::TWindowProcedure procedure);
  ~TQtTrayWindow() override;

  bool SetTimer(std::uint32_t intervalMs) override;
  void KillTimer() override;
  bool NotifyIcon(TNotifyIconMessage message, const TNotifyIconData& data) override;
  void ShowBalloon(const TNotifyIconData& data, const std::string& title,
                   const std::string& text) override;
  int TrackPopupMenu(const TPopupMenu& menu, TPoint at) override;
  TPoint CursorPos() override;
  TShiftState KeysHeld() override;

  // The Qt icon behind this window, for tests.
  QSystemTrayIcon& SystemTrayIcon() noexcept { return trayIcon_; }
  // What Qt reports of the icon, as mouse messages to the component.
  void Activated(QSystemTrayIcon::ActivationReason reason);

 protected:
  void timerEvent(QTimerEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Mouse(TTrayMouseMessage message);

  TQtToolkit& toolkit_;
  TToolkit::TWindowProcedure procedure_;
  QSystemTrayIcon trayIcon_;
  int timerId_ = 0;
};

}  // namespace horalux
