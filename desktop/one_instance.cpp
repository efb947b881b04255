#include "desktop/one_instance.h"

#include <QByteArray>
#include <string>

#include "stack/format.h"

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

}  // namespace

TabfOneInstance::TabfOneInstance(TComponent* owner, TApplication& application)
    : TabfComponent(owner), application_(application) {}

TabfOneInstance::~TabfOneInstance() = default;

QString TabfOneInstance::ActivationServerName(const QString& title) {
  return QString::fromStdString(NamedObjectPath(GuardName(title, "Activation")));
}

void TabfOneInstance::Loaded() {
  if (AnotherInstanceRunning()) HandleAlreadyRunning();
}

bool TabfOneInstance::AnotherInstanceRunning() {
  if (instanceMutex_ != nullptr) return false;  // this instance holds the guard already
  NamedMutex checking(GuardName(application_.Title(), "CriticalSection"));
  if (checking.TryLock() != TLockResult::Acquired) return true;

  auto instance = std::make_unique<NamedMutex>(GuardName(application_.Title(), "Default"));
  const TLockResult result = instance->TryLock();
  if (result == TLockResult::HeldElsewhere) return true;
  if (result == TLockResult::Acquired) {
    instanceMutex_ = std::move(instance);
    // Still inside the check: a second instance that finds the guard taken also finds
    // the socket ready.
    ListenForActivation();
  }
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
      application_.MessageBox(QMessageBox::Warning, application_.Title(), text);
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
  QLocalSocket socket;
  socket.connectToServer(ActivationServerName(application_.Title()));
  if (!socket.waitForConnected(kActivationTimeoutMs)) return;
  socket.write(kActivateRequest);
  socket.waitForBytesWritten(kActivationTimeoutMs);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) {
    socket.waitForDisconnected(kActivationTimeoutMs);
  }
}

void TabfOneInstance::ListenForActivation() {
  const QString name = ActivationServerName(application_.Title());
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
