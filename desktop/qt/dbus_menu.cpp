#include "desktop/qt/dbus_menu.h"

#include <QDBusArgument>
#include <QDBusVariant>
#include <QMetaObject>

#include "desktop/qt/dbus_types.h"

namespace horalux {
namespace {

const QString kInterface = QStringLiteral("com.canonical.dbusmenu");
const QString kIntrospection = QStringLiteral(
    "<interface name=\"com.canonical.dbusmenu\">"
    "<property name=\"Version\" type=\"u\" access=\"read\"/>"
    "<property name=\"TextDirection\" type=\"s\" access=\"read\"/>"
    "<property name=\"Status\" type=\"s\" access=\"read\"/>"
    "<property name=\"IconThemePath\" type=\"as\" access=\"read\"/>"
    "<method name=\"GetLayout\"><arg type=\"i\" direction=\"in\"/>"
    "<arg type=\"i\" direction=\"in\"/><arg type=\"as\" direction=\"in\"/>"
    "<arg type=\"u\" direction=\"out\"/><arg type=\"(ia{sv}av)\" direction=\"out\"/></method>"
    "<method name=\"GetGroupProperties\"><arg type=\"ai\" direction=\"in\"/>"
    "<arg type=\"as\" direction=\"in\"/><arg type=\"a(ia{sv})\" direction=\"out\"/></method>"
    "<method name=\"GetProperty\"><arg type=\"i\" direction=\"in\"/>"
    "<arg type=\"s\" direction=\"in\"/><arg type=\"v\" direction=\"out\"/></method>"
    "<method name=\"Event\"><arg type=\"i\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
    "<arg type=\"v\" direction=\"in\"/><arg type=\"u\" direction=\"in\"/></method>"
    "<method name=\"EventGroup\"><arg type=\"a(isvu)\" direction=\"in\"/>"
    "<arg type=\"ai\" direction=\"out\"/></method>"
    "<method name=\"AboutToShow\"><arg type=\"i\" direction=\"in\"/>"
    "<arg type=\"b\" direction=\"out\"/></method>"
    "<method name=\"AboutToShowGroup\"><arg type=\"ai\" direction=\"in\"/>"
    "<arg type=\"ai\" direction=\"out\"/><arg type=\"ai\" direction=\"out\"/></method>"
    "<signal name=\"ItemsPropertiesUpdated\"><arg type=\"a(ia{sv})\"/><arg type=\"a(ias)\"/>"
    "</signal>"
    "<signal name=\"LayoutUpdated\"><arg type=\"u\"/><arg type=\"i\"/></signal>"
    "<signal name=\"ItemActivationRequested\"><arg type=\"i\"/><arg type=\"u\"/></signal>"
    "</interface>");

// The ids of an EventGroup's events and what happened, (isvu) each.
std::vector<std::pair<int, QString>> EventsOf(const QVariant& group) {
  std::vector<std::pair<int, QString>> events;
  const QDBusArgument argument = group.value<QDBusArgument>();
  if (argument.currentType() != QDBusArgument::ArrayType) return events;
  argument.beginArray();
  while (!argument.atEnd()) {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
    argument.beginStructure();
    argument >> id >> eventId >> data >> timestamp;
    argument.endStructure();
    events.emplace_back(id, eventId);
  }
  argument.endArray();
  return events;
}

}  // namespace

TDBusMenu::TDBusMenu(QDBusConnection bus, TDBusMenuEvents events)
    : TDBusObject(kInterface, kIntrospection), bus_(std::move(bus)), events_(std::move(events)) {
  RegisterDBusTypes();
}

void TDBusMenu::SetItems(std::vector<TItem> items) {
  items_ = std::move(items);
  ++revision_;
  Signal(bus_, QString::fromLatin1(kPath), QStringLiteral("LayoutUpdated"),
         {QVariant::fromValue(revision_), QVariant::fromValue(0)});
}

QString TDBusMenu::Label(const QString& caption) {
  QString label;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    const QChar c = caption[i];
    if (c == QLatin1Char('_')) {
      label += QStringLiteral("__");
    } else if (c == QLatin1Char('&') && i + 1 < caption.size()) {
      label +=
          caption[++i] == QLatin1Char('&') ? QStringLiteral("&") : QStringLiteral("_") + caption[i];
    } else {
      label += c;
    }
  }
  return label;
}

QVariantMap TDBusMenu::Properties() const {
  return {{QStringLiteral("Version"), QVariant::fromValue(3U)},
          {QStringLiteral("TextDirection"), QStringLiteral("ltr")},
          {QStringLiteral("Status"), QStringLiteral("normal")},
          {QStringLiteral("IconThemePath"), QStringList()}};
}

bool TDBusMenu::IsItem(int id) const {
  return id >= 1 && static_cast<std::size_t>(id) <= items_.size();
}

QVariantMap TDBusMenu::ItemProperties(int id) const {
  if (id == 0) return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
  if (!IsItem(id)) return {};
  const TItem& item = items_[static_cast<std::size_t>(id - 1)];
  if (item.separator) return {{QStringLiteral("type"), QStringLiteral("separator")}};
  return {{QStringLiteral("label"), Label(item.caption)},
          {QStringLiteral("enabled"), true},
          {QStringLiteral("visible"), true}};
}

TDBusMenuLayout TDBusMenu::Layout(int id, int depth) const {
  TDBusMenuLayout layout{id, ItemProperties(id), {}};
  if (id != 0 || depth == 0) return layout;
  for (std::size_t i = 1; i <= items_.size(); ++i) {
    layout.children.push_back({static_cast<int>(i), ItemProperties(static_cast<int>(i)), {}});
  }
  return layout;
}

QDBusMessage TDBusMenu::Call(const QDBusMessage& message) {
  const QVariantList arguments = message.arguments();
  const QString& member = message.member();
  if (member == QLatin1String("GetLayout")) {
    const int id = arguments.value(0).toInt();
    if (id != 0 && !IsItem(id)) {
      return message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("No such item"));
    }
    return message.createReply(
        QVariantList{QVariant::fromValue(revision_),
                     QVariant::fromValue(Layout(id, arguments.value(1).toInt()))});
  }
  if (member == QLatin1String("GetGroupProperties")) {
    TDBusMenuItemPropertiesList list;
    for (const int id : qdbus_cast<QList<int>>(arguments.value(0))) {
      if (id == 0 || IsItem(id)) list.append({id, ItemProperties(id)});
    }
    return message.createReply(QVariant::fromValue(list));
  }
  if (member == QLatin1String("GetProperty")) {
    const QVariant value =
        ItemProperties(arguments.value(0).toInt()).value(arguments.value(1).toString());
    if (!value.isValid())
      return message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("No such property"));
    return message.createReply(QVariant::fromValue(QDBusVariant(value)));
  }
  if (member == QLatin1String("Event")) {
    Event(arguments.value(0).toInt(), arguments.value(1).toString());
    return message.createReply();
  }
  if (member == QLatin1String("EventGroup")) {
    for (const auto& [id, eventId] : EventsOf(arguments.value(0))) Event(id, eventId);
    return message.createReply(QVariant::fromValue(QList<int>()));
  }
  if (member == QLatin1String("AboutToShow")) {
    if (arguments.value(0).toInt() == 0) Later(events_.opened);
    return message.createReply(false);
  }
  if (member == QLatin1String("AboutToShowGroup")) {
    if (qdbus_cast<QList<int>>(arguments.value(0)).contains(0)) Later(events_.opened);
    return message.createReply(
        QVariantList{QVariant::fromValue(QList<int>()), QVariant::fromValue(QList<int>())});
  }
  return UnknownMethod(message);
}

void TDBusMenu::Event(int id, const QString& eventId) {
  if (eventId == QLatin1String("clicked") && IsItem(id) &&
      !items_[static_cast<std::size_t>(id - 1)].separator) {
    Later([this, id] {
      if (events_.chosen) events_.chosen(id - 1);
    });
  } else if (eventId == QLatin1String("opened") && id == 0) {
    Later(events_.opened);
  } else if (eventId == QLatin1String("closed") && id == 0) {
    Later(events_.closed);
  }
}

}  // namespace horalux
