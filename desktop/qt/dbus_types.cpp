#include "desktop/qt/dbus_types.h"

#include <QDBusMetaType>
#include <QDBusVariant>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

namespace horalux {

void RegisterDBusTypes() {
  qDBusRegisterMetaType<TDBusImage>();
  qDBusRegisterMetaType<TDBusImages>();
  qDBusRegisterMetaType<TDBusToolTip>();
  qDBusRegisterMetaType<TDBusMenuLayout>();
  qDBusRegisterMetaType<TDBusMenuItemProperties>();
  qDBusRegisterMetaType<TDBusMenuItemPropertiesList>();
  qDBusRegisterMetaType<TDBusNotificationImage>();
}

TDBusImages ImagesOf(const QIcon& icon) {
  TDBusImages images;
  if (icon.isNull()) return images;
  for (const int size : {16, 22, 24, 32, 48}) {
    const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) continue;
    TDBusImage dbusImage{image.width(), image.height(), {}};
    dbusImage.pixels.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
    char* out = dbusImage.pixels.data();
    for (int y = 0; y < image.height(); ++y) {
      const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x, out += 4) qToBigEndian<quint32>(row[x], out);
    }
    images.append(dbusImage);
  }
  return images;
}

TDBusNotificationImage NotificationImageOf(const QIcon& icon, int size) {
  const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_RGBA8888);
  TDBusNotificationImage notificationImage;
  if (image.isNull()) return notificationImage;
  notificationImage.width = image.width();
  notificationImage.height = image.height();
  notificationImage.rowStride = static_cast<int>(image.bytesPerLine());
  notificationImage.data = QByteArray(reinterpret_cast<const char*>(image.constBits()),
                                      static_cast<qsizetype>(image.sizeInBytes()));
  return notificationImage;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusImage& image) {
  argument.beginStructure();
  argument << image.width << image.height << image.pixels;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusImage& image) {
  argument.beginStructure();
  argument >> image.width >> image.height >> image.pixels;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusToolTip& tip) {
  argument.beginStructure();
  argument << tip.iconName << tip.images << tip.title << tip.text;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusToolTip& tip) {
  argument.beginStructure();
  argument >> tip.iconName >> tip.images >> tip.title >> tip.text;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuLayout& layout) {
  argument.beginStructure();
  argument << layout.id << layout.properties;
  argument.beginArray(QMetaType::fromType<QDBusVariant>());
  for (const TDBusMenuLayout& child : layout.children) {
    argument << QDBusVariant(QVariant::fromValue(child));
  }
  argument.endArray();
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuLayout& layout) {
  argument.beginStructure();
  argument >> layout.id >> layout.properties;
  layout.children.clear();
  argument.beginArray();
  while (!argument.atEnd()) {
    QDBusVariant child;
    argument >> child;
    layout.children.push_back(qdbus_cast<TDBusMenuLayout>(child.variant()));
  }
  argument.endArray();
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuItemProperties& item) {
  argument.beginStructure();
  argument << item.id << item.properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuItemProperties& item) {
  argument.beginStructure();
  argument >> item.id >> item.properties;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusNotificationImage& image) {
  argument.beginStructure();
  argument << image.width << image.height << image.rowStride << image.hasAlpha
           << image.bitsPerSample << image.channels << image.data;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusNotificationImage& image) {
  argument.beginStructure();
  argument >> image.width >> image.height >> image.rowStride >> image.hasAlpha >>
      image.bitsPerSample >> image.channels >> image.data;
  argument.endStructure();
  return argument;
}

}  // namespace horalux
