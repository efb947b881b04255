#include "desktop/application.h"

#include <QApplication>

namespace horalux {

TApplication::TApplication() = default;

TApplication::~TApplication() = default;

void TApplication::Terminate() {
  terminated_ = true;
  // Queued, not QCoreApplication::exit() now: exit() does nothing before the loop runs,
  // and a guard that ends a second instance asks for the quit during window creation.
  QMetaObject::invokeMethod(
      &requests_, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

int TApplication::Run() {
  if (showMainForm_ && mainForm_ != nullptr) mainForm_->show();
  return QApplication::exec();
}

QString TApplication::ErrorBoxText(const QString& message) {
  if (!message.isEmpty() && message.back() > QChar(u'.')) return message + u'.';
  return message;
}

void TApplication::ShowException(const std::exception& error) {
  MessageBox(QMessageBox::Critical, title_, ErrorBoxText(QString::fromStdString(error.what())));
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

void TApplication::MessageBox(QMessageBox::Icon icon, const QString& caption, const QString& text) {
  if (presenter_) {
    presenter_(icon, caption, text);
    return;
  }
  QMessageBox box(icon, caption, text, QMessageBox::Ok, mainForm_);
  box.exec();
}

}  // namespace horalux
