#include "desktop/qt/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QMetaObject>

namespace horalux {
namespace {

const QString kInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kIntrospection = QStringLiteral(
    "<interface name=\"org.kde.StatusNotifierItem\">"
    "<property name=\"Category\" type=\"s\" access=\"read\"/>"
    "<property name=\"Id\" type=\"s\" access=\"read\"/>"
    "<property name=\"Title\" type=\"s\" access=\"read\"/>"
    "<property name=\"Status\" type=\"s\" access=\"read\"/>"
    "<property name=\"WindowId\" type=\"i\" access=\"read\"/>"
    "<property name=\"IconName\" type=\"s\" access=\"read\"/>"
    "<property name=\"IconPixmap\" type=\"a(iiay)\" access=\"read\"/>"
    "<property name=\"OverlayIconName\" type=\"s\" access=\"read\"/>"
    "<property name=\"OverlayIconPixmap\" type=\"a(iiay)\" access=\"read\"/>"
    "<property name=\"AttentionIconName\" type=\"s\" access=\"read\"/>"
    "<property name=\"AttentionIconPixmap\" type=\"a(iiay)\" access=\"read\"/>"
    "<property name=\"AttentionMovieName\" type=\"s\" access=\"read\"/>"
    "<property name=\"ToolTip\" type=\"(sa(iiay)ss)\" access=\"read\"/>"
    "<property name=\"ItemIsMenu\" type=\"b\" access=\"read\"/>"
    "<property name=\"Menu\" type=\"o\" access=\"read\"/>"
    "<method name=\"ContextMenu\"><arg type=\"i\" direction=\"in\"/>"
    "<arg type=\"i\" direction=\"in\"/></method>"
    "<method name=\"Activate\"><arg type=\"i\" direction=\"in\"/>"
    "<arg type=\"i\" direction=\"in\"/></method>"
    "<method name=\"SecondaryActivate\"><arg type=\"i\" direction=\"in\"/>"
    "<arg type=\"i\" direction=\"in\"/></method>"
    "<method name=\"Scroll\"><arg type=\"i\" direction=\"in\"/>"
    "<arg type=\"s\" direction=\"in\"/></method>"
    "<signal name=\"NewTitle\"/><signal name=\"NewIcon\"/><signal name=\"NewToolTip\"/>"
    "<signal name=\"NewStatus\"><arg type=\"s\"/></signal>"
    "</interface>");

// Several icons of one process (tests make many) each need a name of their own.
QString NextServiceName() {
  static int count = 0;
  return QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
      .arg(QCoreApplication::applicationPid())
      .arg(++count);
}

}  // namespace

TStatusNotifierItem::TStatusNotifierItem(QDBusConnection bus, QString id,
                                         TStatusNotifierEvents events)
    : TDBusObject(kInterface, kIntrospection),
      bus_(std::move(bus)),
      id_(std::move(id)),
      events_(std::move(events)),
      serviceName_(NextServiceName()),
      menu_(bus_, events_.menu),
      watcher_(QString::fromLatin1(kWatcher), bus_, QDBusServiceWatcher::WatchForRegistration) {
  RegisterDBusTypes();
  bus_.registerService(serviceName_);
  bus_.registerVirtualObject(QString::fromLatin1(kPath), this);
  bus_.registerVirtualObject(QString::fromLatin1(TDBusMenu::kPath), &menu_);
  // A panel restarted forgets its icons: tell its new watcher again.
  QObject::connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, &context_,
                   [this] { RegisterWithWatcher(); });
  RegisterWithWatcher();
}

TStatusNotifierItem::~TStatusNotifierItem() {
  bus_.unregisterObject(QString::fromLatin1(TDBusMenu::kPath));
  bus_.unregisterObject(QString::fromLatin1(kPath));
  bus_.unregisterService(serviceName_);
}

bool TStatusNotifierItem::WatcherPresent(const QDBusConnection& bus) {
  return bus.isConnected() && bus.interface() != nullptr &&
         bus.interface()->isServiceRegistered(QString::fromLatin1(kWatcher)).value();
}

// Without waiting: the watcher is another program, and in tests one of this process.
void TStatusNotifierItem::RegisterWithWatcher() {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QString::fromLatin1(kWatcher), QStringLiteral("/StatusNotifierWatcher"),
      QString::fromLatin1(kWatcher), QStringLiteral("RegisterStatusNotifierItem"));
  call << serviceName_;
  bus_.asyncCall(call);
}

void TStatusNotifierItem::SetTitle(const QString& title) {
  if (title == title_) return;
  title_ = title;
  Signal(bus_, QString::fromLatin1(kPath), QStringLiteral("NewTitle"));
}

void TStatusNotifierItem::SetIcon(const QIcon& icon) {
  if (!images_.isEmpty() && icon.cacheKey() == iconKey_) return;
  iconKey_ = icon.cacheKey();
  images_ = ImagesOf(icon);
  Signal(bus_, QString::fromLatin1(kPath), QStringLiteral("NewIcon"));
}

void TStatusNotifierItem::SetToolTip(const QString& tip) {
  if (tip == tip_) return;
  tip_ = tip;
  Signal(bus_, QString::fromLatin1(kPath), QStringLiteral("NewToolTip"));
}

void TStatusNotifierItem::SetMenu(std::vector<TDBusMenu::TItem> items) {
  menu_.SetItems(std::move(items));
}

QVariantMap TStatusNotifierItem::Properties() const {
  const QString none;
  const QString menu = menu_.Items().empty() ? QStringLiteral("/NO_DBUSMENU")
                                             : QString::fromLatin1(TDBusMenu::kPath);
  return {{QStringLiteral("Category"), QStringLiteral("ApplicationStatus")},
          {QStringLiteral("Id"), id_},
          {QStringLiteral("Title"), title_},
          {QStringLiteral("Status"), QStringLiteral("Active")},
          {QStringLiteral("WindowId"), 0},
          {QStringLiteral("IconName"), none},
          {QStringLiteral("IconPixmap"), QVariant::fromValue(images_)},
          {QStringLiteral("OverlayIconName"), none},
          {QStringLiteral("OverlayIconPixmap"), QVariant::fromValue(TDBusImages())},
          {QStringLiteral("AttentionIconName"), none},
          {QStringLiteral("AttentionIconPixmap"), QVariant::fromValue(TDBusImages())},
          {QStringLiteral("AttentionMovieName"), none},
          {QStringLiteral("ToolTip"), QVariant::fromValue(TDBusToolTip{none, {}, tip_, none})},
          {QStringLiteral("ItemIsMenu"), false},
          {QStringLiteral("Menu"), QVariant::fromValue(QDBusObjectPath(menu))}};
}

QDBusMessage TStatusNotifierItem::Call(const QDBusMessage& message) {
  const QString& member = message.member();
  if (member == QLatin1String("Activate")) {
    Later(events_.activate);
  } else if (member == QLatin1String("SecondaryActivate")) {
    Later(events_.secondaryActivate);
  } else if (member == QLatin1String("ContextMenu")) {
    Later(events_.contextMenu);
  } else if (member != QLatin1String("Scroll")) {
    return UnknownMethod(message);
  }
  return message.createReply();
}

}  // namespace horalux
