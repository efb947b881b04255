// The application object that the main window and the desktop components share: the
// title, the main window, the flag that makes Run() show the main window, the quit
// request, and the message boxes, among them the error box for failures no handler
// catches.
//
// Qt does not let exceptions cross its event loop, so every handler that the loop calls
// runs its body through Guard() (or a slot made by Guarded()), which turns an escaping
// std::exception into the error box.
//
// Thread-safety: main thread only, like the widgets it refers to.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <exception>
#include <functional>
#include <memory>
#include <utility>

namespace horalux {

class TApplication {
 public:
  // Shows a message box; the default presenter is a modal QMessageBox. Tests install one
  // that records what would have been shown.
  using TMessagePresenter =
      std::function<void(QMessageBox::Icon icon, const QString& caption, const QString& text)>;

  // Requires: a QApplication exists for as long as this object; one per program.
  // Turns off Qt's quit-on-last-window-closed: a program in the notification area has no
  // window open most of the time, and closing a message box then must not end it. The
  // program ends instead when its main window is closed (a close it does not refuse).
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  const QString& Title() const noexcept { return title_; }
  void SetTitle(QString title) { title_ = std::move(title); }

  // Whether Run() shows the main window before entering the loop. Default true.
  bool ShowMainForm() const noexcept { return showMainForm_; }
  void SetShowMainForm(bool show) noexcept { showMainForm_ = show; }

  // Not owned; cleared by itself when the widget is destroyed.
  QWidget* MainForm() const noexcept { return mainForm_; }
  void SetMainForm(QWidget* form);

  // Posts a quit request: the loop ends at its next turn, also when Run() has not been
  // entered yet. The request dies with this object if no loop took it. OnTerminate runs
  // first.
  void Terminate();
  bool Terminated() const noexcept { return terminated_; }

  // Shows the main window when ShowMainForm is set, then runs the Qt event loop until a
  // quit request. Returns the loop's exit code.
  int Run();

  // The error box: caption Title, critical icon, the message by ErrorBoxText
  // (app/error_box_text.h).
  void ShowException(const std::exception& error);

  // Runs body; an escaping std::exception goes to the error box. Returns whether body
  // ended normally. Anything not derived from std::exception passes through.
  bool Guard(const std::function<void()>& body);

  // A callable for QObject::connect that runs f (a lambda or function object with one
  // call operator, not a generic one) with the signal's arguments under Guard.
  // Requires: this object outlives the connection (give connect a context object).
  template <class F>
  auto Guarded(F f) {
    return GuardedCall(std::move(f), &F::operator());
  }

  // Runs at every Terminate(), before the request is posted. The main window ends a run
  // that waits on the network here: the request usually arrives in an idle step of that
  // run, and the loop can end only once the run has returned.
  std::function<void()> OnTerminate;

  void ShowMessageBox(QMessageBox::Icon icon, const QString& caption, const QString& text);
  void SetMessagePresenter(TMessagePresenter presenter) { presenter_ = std::move(presenter); }

 private:
  class MainFormWatcher;

  // Takes exactly f's parameters, so that Qt can see how many of the signal's it wants.
  template <class F, class R, class C, class... Args>
  auto GuardedCall(F f, R (C::*)(Args...) const) {
    return
        [this, f = std::move(f)](Args... args) { Guard([&] { f(std::forward<Args>(args)...); }); };
  }
  template <class F, class R, class C, class... Args>
  auto GuardedCall(F f, R (C::*)(Args...)) {
    return [this, f = std::move(f)](Args... args) mutable {
      Guard([&] { f(std::forward<Args>(args)...); });
    };
  }

  QString title_;
  bool showMainForm_ = true;
  bool terminated_ = false;
  QPointer<QWidget> mainForm_;
  std::unique_ptr<MainFormWatcher> watcher_;
  TMessagePresenter presenter_;
  QObject requests_;  // context of posted quit requests; they die with it
};

}  // namespace horalux
