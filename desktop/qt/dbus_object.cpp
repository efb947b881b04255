#include "desktop/qt/dbus_object.h"

#include <QDBusVariant>
#include <QMetaObject>

namespace horalux {
namespace {

const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace

TDBusObject::TDBusObject(QString interface, QString introspection)
    : interface_(std::move(interface)), introspection_(std::move(introspection)) {}

bool TDBusObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage) return false;
  QDBusMessage reply;
  if (message.interface() == kPropertiesInterface) {
    reply = PropertyCall(message);
  } else if (message.interface() == interface_ || message.interface().isEmpty()) {
    reply = Call(message);
  } else {
    return false;  // introspection, and what Qt answers by itself
  }
  if (message.isReplyRequired()) connection.send(reply);
  return true;
}

QDBusMessage TDBusObject::UnknownMethod(const QDBusMessage& message) {
  return message.createErrorReply(QDBusError::UnknownMethod,
                                  QStringLiteral("No method %1").arg(message.member()));
}

void TDBusObject::Signal(const QDBusConnection& bus, const QString& path, const QString& name,
                         const QVariantList& arguments) const {
  QDBusMessage signal = QDBusMessage::createSignal(path, interface_, name);
  signal.setArguments(arguments);
  bus.send(signal);
}

void TDBusObject::Later(const std::function<void()>& work) {
  if (work) QMetaObject::invokeMethod(&later_, work, Qt::QueuedConnection);
}

QDBusMessage TDBusObject::PropertyCall(const QDBusMessage& message) const {
  const QVariantList arguments = message.arguments();
  const QString interface = arguments.value(0).toString();
  if (!interface.isEmpty() && interface != interface_) {
    return message.createErrorReply(QDBusError::UnknownInterface, interface);
  }
  const QVariantMap properties = Properties();
  if (message.member() == QLatin1String("GetAll")) {
    return message.createReply(QVariant::fromValue(properties));
  }
  if (message.member() == QLatin1String("Get")) {
    const QString name = arguments.value(1).toString();
    const auto found = properties.find(name);
    if (found == properties.end()) {
      return message.createErrorReply(QDBusError::UnknownProperty, name);
    }
    return message.createReply(QVariant::fromValue(QDBusVariant(*found)));
  }
  if (message.member() == QLatin1String("Set")) {
    return message.createErrorReply(QDBusError::PropertyReadOnly, arguments.value(1).toString());
  }
  return UnknownMethod(message);
}

}  // namespace horalux
