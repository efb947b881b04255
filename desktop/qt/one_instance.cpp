#include "desktop/qt/one_instance.h"

#include <QByteArray>
#include <cstdio>
#include <string>

#include "base/format.h"

namespace horalux {
namespace {

// How long a second instance waits for the first to take its request; the first
// instance answers from its event loop, which is never blocked for long.
constexpr int kActivationTimeoutMs = 2000;
constexpr char kActivateRequest[] = "activate\n";
constexpr qint64 kMaxRequestLength = 64;

std::string GuardName(const QString& title, const char* kind) {
  return title.toStdString() + ".OneInstance." + kind;
}

// The socket lives beside the guard's lock, in a folder no other account can write: a
// socket at a name others could take first would hand them the requests.
QString ActivationServerName(const NamedMutex& instanceMutex, const QString& title) {
  return QString::fromStdString(
      NamedObjectPath(instanceMutex.Folder(), GuardName(title, "Activation")));
}

// Never locks the user out: without a place for the locks the program runs unguarded.
void ReportUnguarded(const QString& title, const NamedMutex& mutex) {
  std::fprintf(stderr, "%s: running without the single-instance guard: %s\n",
               title.toLocal8Bit().constData(), mutex.Problem().c_str());
}

}  // namespace

TabfOneInstance::TabfOneInstance(TComponent* owner, TApplication& application)
    : TabfComponent(owner), application_(application) {}

TabfOneInstance::~TabfOneInstance() = default;

void TabfOneInstance::Loaded() {
  if (AnotherInstanceRunning()) HandleAlreadyRunning();
}

bool TabfOneInstance::AnotherInstanceRunning() {
  if (instanceMutex_ != nullptr) return false;  // this instance holds the guard already
  const QString title = application_.Title();
  NamedMutex checking(GuardName(title, "CriticalSection"));
  const TLockResult checkResult = checking.TryLock();
  if (checkResult == TLockResult::HeldElsewhere) return true;
  if (checkResult == TLockResult::Failed) {
    ReportUnguarded(title, checking);
    return false;
  }

  auto instance = std::make_unique<NamedMutex>(GuardName(title, "Default"));
  const TLockResult result = instance->TryLock();
  if (result == TLockResult::HeldElsewhere) return true;
  if (result == TLockResult::Failed) {
    ReportUnguarded(title, *instance);
    return false;
  }
  instanceMutex_ = std::move(instance);
  // Still inside the check: a second instance that finds the guard taken also finds the
  // socket ready.
  ListenForActivation();
  return false;
}

void TabfOneInstance::HandleAlreadyRunning() {
  bool terminate = true;
  const bool showMainForm = application_.ShowMainForm();
  application_.SetShowMainForm(false);
  if (ShowMessage) {
    if (OnShowMessage) {
      OnShowMessage(*this, terminate);
    } else {
      const QString text =
          !Message.isEmpty() ? Message
                             : QString::fromStdString(Fmt("Application \"%s\" is already running.",
                                                          {application_.Title().toStdString()}));
      application_.ShowMessageBox(QMessageBox::Warning, application_.Title(), text);
    }
  }
  if (ActivatePrevInstance) BringPrevInstanceToFront();
  if (terminate) {
    application_.Terminate();
  } else {
    application_.SetShowMainForm(showMainForm);
  }
}

void TabfOneInstance::BringPrevInstanceToFront() {
  // Opening the lock (without taking it) finds the folder the first instance chose.
  const NamedMutex instance(GuardName(application_.Title(), "Default"));
  if (instance.Folder().empty()) return;
  QLocalSocket socket;
  socket.connectToServer(ActivationServerName(instance, application_.Title()));
  if (!socket.waitForConnected(kActivationTimeoutMs)) return;
  socket.write(kActivateRequest);
  socket.waitForBytesWritten(kActivationTimeoutMs);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) {
    socket.waitForDisconnected(kActivationTimeoutMs);
  }
}

void TabfOneInstance::ListenForActivation() {
  const QString name = ActivationServerName(*instanceMutex_, application_.Title());
  // A socket file left by a killed first instance would make listen() fail; only the
  // holder of the guard gets here, so removing it cannot take another's socket away.
  QLocalServer::removeServer(name);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    // Without the socket a second instance still ends; it only cannot show this one.
    server_.reset();
    return;
  }
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                   [this] { AcceptActivation(); });
}

void TabfOneInstance::AcceptActivation() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket,
                     [this, socket] { ReadActivation(*socket); });
  }
}

void TabfOneInstance::ReadActivation(QLocalSocket& socket) {
  if (!socket.canReadLine()) {
    if (socket.bytesAvailable() > kMaxRequestLength) socket.abort();
    return;
  }
  const QByteArray request = socket.readLine(kMaxRequestLength);
  socket.disconnectFromServer();
  QWidget* form = application_.MainForm();
  if (request != QByteArray(kActivateRequest) || form == nullptr) return;
  application_.Guard([form] { BringWindowToFront(*form); });
}

void BringWindowToFront(QWidget& window) {
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace horalux
