#include "desktop/qt/desktop_notifier.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "desktop/qt/dbus_types.h"

namespace horalux {
namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kImageSize = 48;

QDBusMessage ServerCall(const QString& method) {
  return QDBusMessage::createMethodCall(QString::fromLatin1(TDesktopNotifier::kService), kPath,
                                        QString::fromLatin1(TDesktopNotifier::kService), method);
}

}  // namespace

TDesktopNotifier::TDesktopNotifier(QDBusConnection bus, QString desktopEntry)
    : bus_(std::move(bus)), desktopEntry_(std::move(desktopEntry)) {
  RegisterDBusTypes();
  if (!ServerPresent()) return;
  auto* answer =
      new QDBusPendingCallWatcher(bus_.asyncCall(ServerCall("GetCapabilities")), &context_);
  QObject::connect(answer, &QDBusPendingCallWatcher::finished, &context_, [this, answer] {
    const QDBusPendingReply<QStringList> capabilities = *answer;
    if (capabilities.isValid()) markup_ = capabilities.value().contains("body-markup");
    answer->deleteLater();
  });
}

bool TDesktopNotifier::ServerPresent() const {
  if (!bus_.isConnected() || bus_.interface() == nullptr) return false;
  const QString service = QString::fromLatin1(kService);
  return bus_.interface()->isServiceRegistered(service).value() ||
         bus_.interface()->activatableServiceNames().value().contains(service);
}

bool TDesktopNotifier::Notify(const QString& appName, const QString& title, const QString& text,
                              const QIcon& icon) {
  if (!ServerPresent()) return false;
  QVariantMap hints{{QStringLiteral("desktop-entry"), desktopEntry_},
                    {QStringLiteral("urgency"), QVariant::fromValue(uchar{1})}};
  if (!icon.isNull()) {
    hints.insert(QStringLiteral("image-data"),
                 QVariant::fromValue(NotificationImageOf(icon, kImageSize)));
  }
  QDBusMessage call = ServerCall(QStringLiteral("Notify"));
  // A host name or a reason from the network must not be read as markup.
  call << appName << 0U << QString() << title << (markup_ ? text.toHtmlEscaped() : text)
       << QStringList() << hints << -1;
  bus_.asyncCall(call);
  return true;
}

}  // namespace horalux
