#include "desktop/qt/qt_toolkit.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QTimerEvent>
#include <algorithm>
#include <climits>

#include "desktop/popup_menu.h"
#include "desktop/qt/qt_icon.h"
#include "desktop/qt/ui_trace.h"
#include "platform/named_mutex.h"

namespace horalux {

Q_LOGGING_CATEGORY(horaluxUi, "horalux.ui", QtWarningMsg)

namespace {

// How long a second instance waits for the first to take its request; the first
// instance answers from its event loop, which is never blocked for long.
constexpr int kActivationTimeoutMs = 2000;
constexpr char kActivateRequest[] = "activate\n";
constexpr qint64 kMaxRequestLength = 64;

// Intervals beyond what Qt takes are clamped, as the system clamps its own timers.
int TimerInterval(std::uint32_t intervalMs) {
  return static_cast<int>(std::min<std::uint32_t>(intervalMs, INT_MAX));
}

// A hidden window with nothing but its timer.
class TQtComponentWindow : public TComponentWindow, private QObject {
 public:
  explicit TQtComponentWindow(TToolkit::TWindowProcedure procedure)
      : procedure_(std::move(procedure)) {}
  ~TQtComponentWindow() override { KillTimer(); }

  bool SetTimer(std::uint32_t intervalMs) override {
    KillTimer();
    timerId_ = startTimer(TimerInterval(intervalMs));
    return timerId_ != 0;
  }
  void KillTimer() override {
    if (timerId_ != 0) killTimer(timerId_);
    timerId_ = 0;
  }

 protected:
  void timerEvent(QTimerEvent* event) override {
    if (event->timerId() == timerId_) procedure_({TWindowMessage::Timer});
  }

 private:
  TToolkit::TWindowProcedure procedure_;
  int timerId_ = 0;
};

// The socket lives beside the guard's lock, in a folder no other account can write: a
// socket at a name others could take first would hand them the requests.
QString ActivationServerName(const NamedMutex& instanceMutex, const TInstanceNames& names) {
  return QString::fromStdString(NamedObjectPath(instanceMutex.Folder(), names.activation));
}

void BringWindowToFront(QWidget& window) {
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
}

// The first instance's local server: a later instance's "activate" line brings the main
// window forward.
class TQtActivationListener : public TActivationListener {
 public:
  TQtActivationListener(TQtToolkit& toolkit, const QString& name) : toolkit_(toolkit) {
    // A socket file left by a killed first instance would make listen() fail; only the
    // holder of the guard gets here, so removing it cannot take another's socket away.
    QLocalServer::removeServer(name);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    // Without the socket a second instance still ends; it only cannot show this one.
    if (!server_.listen(name)) return;
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] { Accept(); });
  }

 private:
  void Accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { Read(*socket); });
    }
  }
  void Read(QLocalSocket& socket) {
    if (!socket.canReadLine()) {
      if (socket.bytesAvailable() > kMaxRequestLength) socket.abort();
      return;
    }
    const QByteArray request = socket.readLine(kMaxRequestLength);
    socket.disconnectFromServer();
    QWidget* form = toolkit_.MainForm();
    if (request == QByteArray(kActivateRequest) && form != nullptr) BringWindowToFront(*form);
  }

  TQtToolkit& toolkit_;
  QLocalServer server_;
};

QMessageBox::Icon QtIcon(TMessageIcon icon) {
  return icon == TMessageIcon::Warning ? QMessageBox::Warning : QMessageBox::Critical;
}

}  // namespace

TQtToolkit::TQtToolkit(LocaleText text) : text_(std::move(text)) {
  QApplication::setQuitOnLastWindowClosed(false);
}

TQtToolkit::~TQtToolkit() = default;

int TQtToolkit::RunLoop() { return QApplication::exec(); }

// Queued, not QCoreApplication::exit() now: exit() does nothing before the loop runs, and
// a guard that ends a second instance asks for the quit during window creation.
void TQtToolkit::PostQuit() {
  QMetaObject::invokeMethod(
      &requests_, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void TQtToolkit::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TQtToolkit::Post(std::function<void()> work) {
  QMetaObject::invokeMethod(&requests_, std::move(work), Qt::QueuedConnection);
}

void TQtToolkit::After(std::chrono::milliseconds delay, std::function<void()> work) {
  QTimer::singleShot(delay, &requests_, std::move(work));
}

void TQtToolkit::ShowMessageBox(TMessageIcon icon, const std::string& caption,
                                const std::string& text) {
  const QString shownCaption = text_.ToQString(caption);
  const QString shownText = text_.ToQString(text);
  qCInfo(horaluxUi) << "message box" << shownCaption << shownText;
  QMessageBox box(QtIcon(icon), shownCaption, shownText, QMessageBox::Ok, mainForm_);
  box.exec();
}

void TQtToolkit::SetWaitCursor(bool wait) {
  if (wait) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

// Shown again, a window that was minimised comes back in its normal state.
void TQtToolkit::ShowMainForm() {
  if (mainForm_ == nullptr) return;
  mainForm_->setWindowState(mainForm_->windowState() & ~Qt::WindowMinimized);
  mainForm_->show();
}

// Hidden, the window forgets that it was minimised, so that showing it again gives it
// back in its normal state.
void TQtToolkit::HideMainForm() {
  if (mainForm_ == nullptr) return;
  mainForm_->hide();
  mainForm_->setWindowState(mainForm_->windowState() & ~Qt::WindowMinimized);
}

std::unique_ptr<TComponentWindow> TQtToolkit::NewComponentWindow(TWindowProcedure procedure) {
  return std::make_unique<TQtComponentWindow>(std::move(procedure));
}

std::unique_ptr<TTrayWindow> TQtToolkit::NewTrayWindow(TWindowProcedure procedure) {
  return std::make_unique<TQtTrayWindow>(*this, std::move(procedure));
}

std::unique_ptr<TActivationListener> TQtToolkit::ListenForActivation(
    const TInstanceNames& names, const NamedMutex& instanceMutex) {
  return std::make_unique<TQtActivationListener>(*this, ActivationServerName(instanceMutex, names));
}

void TQtToolkit::BringPrevInstanceToFront(const TInstanceNames& names) {
  // Opening the lock (without taking it) finds the folder the first instance chose.
  const NamedMutex instance(names.instanceMutex);
  if (instance.Folder().empty()) return;
  QLocalSocket socket;
  socket.connectToServer(ActivationServerName(instance, names));
  if (!socket.waitForConnected(kActivationTimeoutMs)) return;
  socket.write(kActivateRequest);
  socket.waitForBytesWritten(kActivationTimeoutMs);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) {
    socket.waitForDisconnected(kActivationTimeoutMs);
  }
}

TQtTrayWindow::TQtTrayWindow(TQtToolkit& toolkit, TToolkit::TWindowProcedure procedure)
    : toolkit_(toolkit), procedure_(std::move(procedure)) {
  QObject::connect(&trayIcon_, &QSystemTrayIcon::activated, this,
                   [this](QSystemTrayIcon::ActivationReason reason) { Activated(reason); });
  qApp->installEventFilter(this);
}

TQtTrayWindow::~TQtTrayWindow() {
  qApp->removeEventFilter(this);
  KillTimer();
}

bool TQtTrayWindow::SetTimer(std::uint32_t intervalMs) {
  KillTimer();
  timerId_ = startTimer(TimerInterval(intervalMs));
  return timerId_ != 0;
}

void TQtTrayWindow::KillTimer() {
  if (timerId_ != 0) killTimer(timerId_);
  timerId_ = 0;
}

void TQtTrayWindow::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timerId_) procedure_({TWindowMessage::Timer});
}

// Qt refuses to show an icon without an image: one shown before its image arrived (the
// image list is resolved after Visible is set) appears with the image.
bool TQtTrayWindow::NotifyIcon(TNotifyIconMessage message, const TNotifyIconData& data) {
  if (message == TNotifyIconMessage::Delete) {
    trayIcon_.hide();
    return true;
  }
  const QIcon icon = TQtIcon::Of(data.icon);
  trayIcon_.setIcon(icon);
  trayIcon_.setToolTip(toolkit_.Text().ToQString(data.tip));
  const bool shown = (data.flags & nifIcon) != 0;
  if (shown && !icon.isNull() && !trayIcon_.isVisible()) trayIcon_.show();
  return true;
}

void TQtTrayWindow::ShowBalloon(const TNotifyIconData&, const std::string& title,
                                const std::string& text) {
  const QString shownTitle = toolkit_.Text().ToQString(title);
  const QString shownText = toolkit_.Text().ToQString(text);
  qCInfo(horaluxUi) << "notification" << shownTitle << shownText;
  trayIcon_.showMessage(shownTitle, shownText, QSystemTrayIcon::Warning);
}

int TQtTrayWindow::TrackPopupMenu(const TPopupMenu& menu, TPoint at) {
  QMenu shown;
  std::vector<QAction*> actions;
  for (const TMenuItem& item : menu.Items()) {
    QAction* action = item.IsLine() ? shown.addSeparator()
                                    : shown.addAction(toolkit_.Text().ToQString(item.Caption));
    if (item.Default) shown.setDefaultAction(action);
    actions.push_back(action);
  }
  QAction* chosen = shown.exec(QPoint(at.x, at.y));
  const auto found = std::find(actions.begin(), actions.end(), chosen);
  return chosen == nullptr || found == actions.end() ? -1
                                                     : static_cast<int>(found - actions.begin());
}

TPoint TQtTrayWindow::CursorPos() {
  const QPoint at = QCursor::pos();
  return {at.x(), at.y()};
}

TShiftState TQtTrayWindow::KeysHeld() {
  const Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers();
  TShiftState shift = 0;
  if (keys & Qt::ShiftModifier) shift |= ssShift;
  if (keys & Qt::AltModifier) shift |= ssAlt;
  if (keys & Qt::ControlModifier) shift |= ssCtrl;
  return shift;
}

void TQtTrayWindow::Mouse(TTrayMouseMessage message) {
  procedure_({TWindowMessage::IconMessage, message});
}

void TQtTrayWindow::Activated(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      Mouse(TTrayMouseMessage::LButtonDown);
      Mouse(TTrayMouseMessage::LButtonUp);
      break;
    case QSystemTrayIcon::DoubleClick:
      Mouse(TTrayMouseMessage::LButtonDblClk);
      break;
    case QSystemTrayIcon::Context:
      Mouse(TTrayMouseMessage::RButtonDown);
      Mouse(TTrayMouseMessage::RButtonUp);
      break;
    case QSystemTrayIcon::MiddleClick:
      Mouse(TTrayMouseMessage::MButtonDown);
      Mouse(TTrayMouseMessage::MButtonUp);
      break;
    case QSystemTrayIcon::Unknown:
      break;
  }
}

// Sees whatever widget is the main window at the moment, also one set after this window.
// The component hears of a minimised main window later, not inside its state change.
bool TQtTrayWindow::eventFilter(QObject* watched, QEvent* event) {
  QWidget* form = toolkit_.MainForm();
  if (form == nullptr || watched != form || event->type() != QEvent::WindowStateChange ||
      !form->isMinimized()) {
    return false;
  }
  QMetaObject::invokeMethod(
      this, [this] { procedure_({TWindowMessage::MainFormMinimized}); }, Qt::QueuedConnection);
  return false;
}

}  // namespace horalux
