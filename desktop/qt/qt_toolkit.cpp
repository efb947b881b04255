#include "desktop/qt/qt_toolkit.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/notice_name.h"
#include "desktop/popup_menu.h"
#include "desktop/qt/qt_icon.h"
#include "desktop/qt/status_notifier_item.h"
#include "desktop/ui_trace.h"
#include "platform/named_mutex.h"

namespace horalux {

namespace {

// How long a second instance waits for the first to take its request; the first
// instance answers from its event loop, which is never blocked for long.
constexpr int kActivationTimeoutMs = 2000;
// "activate", then the later instance's activation token (Wayland's leave to take the
// focus) when it was started with one.
constexpr char kActivateRequest[] = "activate";
constexpr qsizetype kMaxTokenLength = 200;
constexpr qint64 kMaxRequestLength = 256;

// A token is printable ASCII without blanks; anything else is not passed on.
bool IsActivationToken(const QByteArray& token) {
  return !token.isEmpty() && token.size() <= kMaxTokenLength &&
         std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

// The token of an activation request, an empty one for none; nullopt when it is none.
std::optional<QByteArray> TokenOfRequest(const QByteArray& request) {
  if (!request.endsWith('\n')) return std::nullopt;
  const QByteArray line = request.chopped(1);
  if (line == kActivateRequest) return QByteArray();
  const QByteArray prefix = QByteArray(kActivateRequest) + ' ';
  if (!line.startsWith(prefix) || !IsActivationToken(line.mid(prefix.size()))) return std::nullopt;
  return line.mid(prefix.size());
}

// The socket lives beside the guard's lock, in a folder no other account can write: a
// socket at a name others could take first would hand them the requests.
QString ActivationServerName(const NamedMutex& instanceMutex, const TInstanceNames& names) {
  return QString::fromStdString(NamedObjectPath(instanceMutex.Folder(), names.activation));
}

// With a token, a Wayland compositor lets the window take the focus from the program the
// user started the later instance in; Qt reads it from the environment when it activates.
void BringWindowToFront(QWidget& window, const QByteArray& token) {
  if (!token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token);
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
    const std::optional<QByteArray> token = TokenOfRequest(request);
    if (token && form != nullptr) BringWindowToFront(*form, *token);
  }

  TQtToolkit& toolkit_;
  QLocalServer server_;
};

}  // namespace

TQtToolkit::TQtToolkit(LocaleText text, QDBusConnection bus)
    : text_(std::move(text)), bus_(std::move(bus)) {
  QApplication::setQuitOnLastWindowClosed(false);
}

int TQtToolkit::RunLoop() { return QApplication::exec(); }

// Queued, not QCoreApplication::exit() now: exit() does nothing before the loop runs, and
// a guard that ends a second instance asks for the quit during window creation.
void TQtToolkit::PostQuit() {
  QMetaObject::invokeMethod(
      &requests_, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void TQtToolkit::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// Qt cannot hand out exactly one message; one pass of the dispatcher that does not wait
// comes closest.
bool TQtToolkit::HandleMessageIfWaiting() {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  return dispatcher != nullptr && dispatcher->processEvents(QEventLoop::AllEvents);
}

void TQtToolkit::Post(std::function<void()> work) {
  QMetaObject::invokeMethod(&requests_, std::move(work), Qt::QueuedConnection);
}

void TQtToolkit::After(std::chrono::milliseconds delay, std::function<void()> work) {
  QTimer::singleShot(delay, &requests_, std::move(work));
}

void TQtToolkit::ShowMessageBox(TMessageIcon icon, const std::string& caption,
                                const std::string& text) {
  const auto kind = icon == TMessageIcon::Warning ? QMessageBox::Warning : QMessageBox::Critical;
  QMessageBox box(kind, text_.ToQString(caption), text_.ToQString(text), QMessageBox::Ok,
                  mainForm_);
  box.exec();
}

void TQtToolkit::SetWaitCursor(bool wait) {
  if (wait) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

// The first time at the centre of the desktop, afterwards wherever the user put it; shown
// again, a window that was minimised comes back in its normal state.
void TQtToolkit::ShowMainForm() {
  if (mainForm_ == nullptr) return;
  if (!mainFormPlaced_) {
    mainFormPlaced_ = true;
    if (const QScreen* desktop = mainForm_->screen()) {
      mainForm_->move(desktop->availableGeometry().center() - mainForm_->frameGeometry().center() +
                      mainForm_->pos());
    }
  }
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

void TQtToolkit::MinimizeMainForm() {
  if (mainForm_ != nullptr) mainForm_->showMinimized();
}

std::unique_ptr<TComponentWindow> TQtToolkit::NewComponentWindow(TWindowProcedure procedure) {
  return std::make_unique<TQtWindow<TComponentWindow>>(std::move(procedure));
}

std::unique_ptr<TTrayWindow> TQtToolkit::NewTrayWindow(TWindowProcedure procedure) {
  return std::make_unique<TQtTrayWindow>(*this, std::move(procedure), bus_);
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
  QByteArray request(kActivateRequest);
  const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
  if (IsActivationToken(token)) request += ' ' + token;
  socket.write(request + '\n');
  socket.waitForBytesWritten(kActivationTimeoutMs);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) {
    socket.waitForDisconnected(kActivationTimeoutMs);
  }
}

TQtTrayWindow::TQtTrayWindow(TQtToolkit& toolkit, TToolkit::TWindowProcedure procedure,
                             QDBusConnection bus)
    : TQtWindow(std::move(procedure)),
      toolkit_(toolkit),
      bus_(std::move(bus)),
      watcher_(QString::fromLatin1(TStatusNotifierItem::kWatcher), bus_),
      watcherPresent_(TStatusNotifierItem::WatcherPresent(bus_)),
      notifier_(bus_, QGuiApplication::desktopFileName()) {
  QObject::connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
    watcherPresent_ = true;
    Place();
  });
  QObject::connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
    watcherPresent_ = false;
    Place();
  });
  qApp->installEventFilter(this);
}

TQtTrayWindow::~TQtTrayWindow() { qApp->removeEventFilter(this); }

QSystemTrayIcon& TQtTrayWindow::SystemTrayIcon() {
  if (xembedIcon_ == nullptr) {
    xembedIcon_ = std::make_unique<QSystemTrayIcon>();
    QObject::connect(xembedIcon_.get(), &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason reason) { Activated(reason); });
  }
  return *xembedIcon_;
}

// Qt refuses to show an icon without an image: one shown before its image arrived (the
// image list is resolved after Visible is set) appears with the image.
bool TQtTrayWindow::NotifyIcon(TNotifyIconMessage message, const TNotifyIconData& data) {
  shown_ = message != TNotifyIconMessage::Delete && (data.flags & nifIcon) != 0;
  if (message != TNotifyIconMessage::Delete) {
    icon_ = TQtIcon::Of(data.icon);
    tip_ = toolkit_.Text().ToQString(data.tip);
    title_ = toolkit_.Text().ToQString(data.title);
  }
  Place();
  return true;
}

void TQtTrayWindow::Place() {
  if (watcherPresent_) {
    if (xembedIcon_ != nullptr) xembedIcon_->hide();
    ShowItem();
    return;
  }
  item_.reset();
  ShowXEmbedIcon();
}

void TQtTrayWindow::ShowItem() {
  if (!shown_ || icon_.isNull()) {
    item_.reset();
    return;
  }
  if (item_ == nullptr) item_ = MakeItem();
  item_->SetTitle(title_);
  item_->SetIcon(icon_);
  item_->SetToolTip(tip_);
}

void TQtTrayWindow::ShowXEmbedIcon() {
  // Without an icon to show, Qt's tray is not even made.
  if (xembedIcon_ == nullptr && !shown_) return;
  QSystemTrayIcon& icon = SystemTrayIcon();
  icon.setIcon(icon_);
  icon.setToolTip(tip_);
  if (!shown_) {
    icon.hide();
  } else if (!icon_.isNull() && !icon.isVisible()) {
    icon.show();
  }
}

// The panel's primary action is what a double click is elsewhere; no panel sends both. Its
// other actions are the clicks that Qt's tray reports the same way.
std::unique_ptr<TStatusNotifierItem> TQtTrayWindow::MakeItem() {
  TStatusNotifierEvents events;
  events.activate = [this] { Activated(QSystemTrayIcon::DoubleClick); };
  events.secondaryActivate = [this] { Activated(QSystemTrayIcon::MiddleClick); };
  events.contextMenu = [this] { Activated(QSystemTrayIcon::Context); };
  // Traced: panels differ in the order in which they report these.
  events.menu.opened = [this] {
    TraceUi("menu opened");
    Tell({TWindowMessage::MenuOpened});
  };
  events.menu.chosen = [this](int index) {
    TraceUi("menu item " + std::to_string(index) + " chosen");
    Tell({TWindowMessage::MenuItemChosen, {}, index});
  };
  events.menu.closed = [this] {
    TraceUi("menu closed");
    Tell({TWindowMessage::MenuClosed});
  };
  auto item =
      std::make_unique<TStatusNotifierItem>(bus_, QCoreApplication::applicationName(), events);
  item->SetMenu(menu_);
  return item;
}

bool TQtTrayWindow::TrayPresent() {
  // Asked only without a watcher, so that Qt's one decision sees none either.
  return watcherPresent_ || QSystemTrayIcon::isSystemTrayAvailable();
}

void TQtTrayWindow::ExportMenu(const TPopupMenu* menu) {
  menu_.clear();
  if (menu != nullptr) {
    for (const TMenuItem& item : menu->Items()) {
      menu_.push_back({toolkit_.Text().ToQString(item.Caption), item.IsLine()});
    }
  }
  if (item_ != nullptr) item_->SetMenu(menu_);
}

// Standard error has what no desktop shows: a terminal or the journal reads it there.
void TQtTrayWindow::ShowBalloon(const TNotifyIconData& data, const std::string& title,
                                const std::string& text) {
  const QString shownTitle = toolkit_.Text().ToQString(title);
  const QString shownText = toolkit_.Text().ToQString(text);
  const QString sender = toolkit_.Text().ToQString(data.title);
  if (notifier_.Notify(sender, shownTitle, shownText, QGuiApplication::windowIcon())) return;
  const QString line = QStringLiteral("%1: %2\n").arg(shownTitle, shownText.simplified());
  std::fputs((NoticePrefix() + line.toLocal8Bit().toStdString()).c_str(), stderr);
  if (xembedIcon_ != nullptr && xembedIcon_->isVisible()) {
    xembedIcon_->showMessage(shownTitle, shownText, QSystemTrayIcon::Warning);
  }
}

int TQtTrayWindow::TrackPopupMenu(const TPopupMenu& menu, TPoint at) {
  QMenu shown;
  for (const TMenuItem& item : menu.Items()) {
    QAction* action = item.IsLine() ? shown.addSeparator()
                                    : shown.addAction(toolkit_.Text().ToQString(item.Caption));
    if (item.Default) shown.setDefaultAction(action);
  }
  // Actions are in the order of the items; none chosen is none of them (-1).
  return static_cast<int>(shown.actions().indexOf(shown.exec(QPoint(at.x, at.y))));
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
      this, [this] { Tell({TWindowMessage::MainFormMinimized}); }, Qt::QueuedConnection);
  return false;
}

}  // namespace horalux
