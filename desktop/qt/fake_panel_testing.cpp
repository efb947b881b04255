#include "desktop/qt/fake_panel_testing.h"

#include <sys/prctl.h>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTest>

#include <csignal>

#include "desktop/qt/dbus_object.h"

namespace horalux::testing {
namespace {

constexpr int kWaitMs = 5000;
const QString kWatcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");

}  // namespace

PrivateBus::PrivateBus() {
  // The bus ends with the test, even when a failing test aborts it.
  daemon_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
  daemon_.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"),
                 QStringLiteral("--print-address=1")});
  if (daemon_.waitForStarted(kWaitMs) && daemon_.waitForReadyRead(kWaitMs)) {
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  }
}

PrivateBus::~PrivateBus() {
  for (const QString& name : connections_) QDBusConnection::disconnectFromBus(name);
  daemon_.kill();
  daemon_.waitForFinished(kWaitMs);
}

QDBusConnection PrivateBus::Connect(const QString& name) {
  connections_ << name;
  return QDBusConnection::connectToBus(address_, name);
}

class FakePanel::Watcher : public TDBusObject {
 public:
  Watcher()
      : TDBusObject(kWatcherName, QStringLiteral("<interface name=\"%1\"/>").arg(kWatcherName)) {}
  QStringList items;

 protected:
  QVariantMap Properties() const override {
    return {{QStringLiteral("IsStatusNotifierHostRegistered"), true},
            {QStringLiteral("RegisteredStatusNotifierItems"), items},
            {QStringLiteral("ProtocolVersion"), 0}};
  }
  QDBusMessage Call(const QDBusMessage& message) override {
    if (message.member() != QLatin1String("RegisterStatusNotifierItem")) {
      return UnknownMethod(message);
    }
    items << message.arguments().value(0).toString();
    return message.createReply();
  }
};

class FakePanel::NotificationServer : public TDBusObject {
 public:
  NotificationServer()
      : TDBusObject(kNotifications,
                    QStringLiteral("<interface name=\"%1\"/>").arg(kNotifications)) {}
  std::vector<QVariantList> sent;

 protected:
  QVariantMap Properties() const override { return {}; }
  QDBusMessage Call(const QDBusMessage& message) override {
    if (message.member() == QLatin1String("GetCapabilities")) {
      return message.createReply(
          QStringList{QStringLiteral("body"), QStringLiteral("body-markup")});
    }
    if (message.member() != QLatin1String("Notify")) return UnknownMethod(message);
    sent.push_back(message.arguments());
    return message.createReply(static_cast<uint>(sent.size()));
  }
};

FakePanel::FakePanel(PrivateBus& bus)
    : connection_(bus.Connect(QStringLiteral("panel"))),
      watcher_(std::make_unique<Watcher>()),
      notifications_(std::make_unique<NotificationServer>()) {}

FakePanel::~FakePanel() {
  connection_.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
  connection_.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
}

void FakePanel::StartWatcher() {
  connection_.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), watcher_.get());
  connection_.registerService(kWatcherName);
}

void FakePanel::StopWatcher() {
  connection_.unregisterService(kWatcherName);
  connection_.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
}

void FakePanel::StartNotificationServer() {
  connection_.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"),
                                    notifications_.get());
  connection_.registerService(kNotifications);
}

const QStringList& FakePanel::RegisteredItems() const { return watcher_->items; }

bool FakePanel::AwaitRegistrations(int count) {
  return QTest::qWaitFor([&] { return watcher_->items.size() >= count; }, kWaitMs);
}

const std::vector<QVariantList>& FakePanel::Notifications() const { return notifications_->sent; }

bool FakePanel::AwaitNotifications(std::size_t count) {
  return QTest::qWaitFor([&] { return notifications_->sent.size() >= count; }, kWaitMs);
}

QDBusMessage FakePanel::CallItem(const QString& path, const QString& interface,
                                 const QString& method, const QVariantList& arguments) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      watcher_->items.value(watcher_->items.size() - 1), path, interface, method);
  call.setArguments(arguments);
  QDBusPendingCall pending = connection_.asyncCall(call, kWaitMs);
  // An unanswered call fails by its own time-out, which the reply then says.
  static_cast<void>(QTest::qWaitFor([&] { return pending.isFinished(); }, kWaitMs + 1000));
  return pending.reply();
}

QVariant FakePanel::ItemProperty(const QString& name) {
  const QDBusMessage reply = CallItem(
      QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"), {QStringLiteral("org.kde.StatusNotifierItem"), name});
  return reply.arguments().value(0).value<QDBusVariant>().variant();
}

TDBusMenuLayout FakePanel::MenuLayout() {
  const QDBusMessage reply =
      CallItem(QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"),
               QStringLiteral("GetLayout"), {0, -1, QStringList()});
  return qdbus_cast<TDBusMenuLayout>(reply.arguments().value(1));
}

void FakePanel::MenuEvent(int id, const QString& eventId) {
  CallItem(QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"),
           QStringLiteral("Event"),
           {id, eventId, QVariant::fromValue(QDBusVariant(QString())), 0U});
}

}  // namespace horalux::testing
