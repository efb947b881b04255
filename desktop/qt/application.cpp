#include "desktop/qt/application.h"

#include <QApplication>
#include <QEvent>

#include "app/error_box_text.h"
#include "desktop/qt/ui_trace.h"

namespace horalux {

Q_LOGGING_CATEGORY(horaluxUi, "horalux.ui", QtWarningMsg)

// Ends the program when the main window has been closed. The close event arrives before
// the window decides whether to accept it, so the decision is read one turn later: an
// accepted close has hidden the window by then.
class TApplication::MainFormWatcher : public QObject {
 public:
  explicit MainFormWatcher(TApplication& application) : application_(application) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Close || watched != application_.MainForm()) return false;
    QMetaObject::invokeMethod(
        this,
        [this] {
          QWidget* form = application_.MainForm();
          if (form != nullptr && !form->isVisible()) application_.Terminate();
        },
        Qt::QueuedConnection);
    return false;
  }

 private:
  TApplication& application_;
};

TApplication::TApplication() : watcher_(std::make_unique<MainFormWatcher>(*this)) {
  QApplication::setQuitOnLastWindowClosed(false);
}

TApplication::~TApplication() = default;

void TApplication::SetMainForm(QWidget* form) {
  if (mainForm_ != nullptr) mainForm_->removeEventFilter(watcher_.get());
  mainForm_ = form;
  if (form != nullptr) form->installEventFilter(watcher_.get());
}

void TApplication::Terminate() {
  terminated_ = true;
  if (OnTerminate) OnTerminate();
  // Queued, not QCoreApplication::exit() now: exit() does nothing before the loop runs,
  // and a guard that ends a second instance asks for the quit during window creation.
  QMetaObject::invokeMethod(
      &requests_, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

int TApplication::Run() {
  // A quit asked for while the window was being made (the guard of a second instance, a
  // signal while the start-up warning was open) ends the program before the loop starts:
  // a nested loop, such as a message box's, may have taken the queued request already.
  if (showMainForm_ && mainForm_ != nullptr) mainForm_->show();
  if (terminated_) return 0;
  return QApplication::exec();
}

void TApplication::ShowException(const std::exception& error) {
  ShowMessageBox(QMessageBox::Critical, title_, QString::fromStdString(ErrorBoxText(error.what())));
}

bool TApplication::Guard(const std::function<void()>& body) {
  try {
    body();
    return true;
  } catch (const std::exception& error) {
    ShowException(error);
    return false;
  }
}

void TApplication::ShowMessageBox(QMessageBox::Icon icon, const QString& caption,
                                  const QString& text) {
  qCInfo(horaluxUi) << "message box" << caption << text;
  if (presenter_) {
    presenter_(icon, caption, text);
    return;
  }
  QMessageBox box(icon, caption, text, QMessageBox::Ok, mainForm_);
  box.exec();
}

}  // namespace horalux
