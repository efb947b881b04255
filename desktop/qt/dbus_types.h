// The structures that the desktop's notification-area and notification protocols put on
// the session bus (StatusNotifierItem, its D-Bus menu, org.freedesktop.Notifications),
// with their marshalling. RegisterDBusTypes makes them known to Qt's D-Bus module; call it
// before the first message that carries one.
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QIcon>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>
#include <vector>

namespace horalux {

// An icon image, (iiay): ARGB32 pixels in network byte order, row after row.
struct TDBusImage {
  int width = 0;
  int height = 0;
  QByteArray pixels;
};
using TDBusImages = QList<TDBusImage>;

// An item's tooltip, (sa(iiay)ss): icon name, images, title, text.
struct TDBusToolTip {
  QString iconName;
  TDBusImages images;
  QString title;
  QString text;
};

// A menu item with its children, (ia{sv}av); each child goes in a variant.
struct TDBusMenuLayout {
  int id = 0;
  QVariantMap properties;
  std::vector<TDBusMenuLayout> children;
};

// An item's properties without its children, (ia{sv}).
struct TDBusMenuItemProperties {
  int id = 0;
  QVariantMap properties;
};
using TDBusMenuItemPropertiesList = QList<TDBusMenuItemProperties>;

// A notification's own image, (iiibiiay): RGBA bytes.
struct TDBusNotificationImage {
  int width = 0;
  int height = 0;
  int rowStride = 0;
  bool hasAlpha = true;
  int bitsPerSample = 8;
  int channels = 4;
  QByteArray data;
};

void RegisterDBusTypes();

// The icon at the sizes panels draw; none for an empty icon.
TDBusImages ImagesOf(const QIcon& icon);
// The icon at `size` pixels square.
TDBusNotificationImage NotificationImageOf(const QIcon& icon, int size);

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusImage& image);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusImage& image);
QDBusArgument& operator<<(QDBusArgument& argument, const TDBusToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusToolTip& tip);
QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuLayout& layout);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuLayout& layout);
QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const TDBusNotificationImage& image);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusNotificationImage& image);

}  // namespace horalux

Q_DECLARE_METATYPE(horalux::TDBusImage)
Q_DECLARE_METATYPE(horalux::TDBusToolTip)
Q_DECLARE_METATYPE(horalux::TDBusMenuLayout)
Q_DECLARE_METATYPE(horalux::TDBusMenuItemProperties)
Q_DECLARE_METATYPE(horalux::TDBusNotificationImage)
