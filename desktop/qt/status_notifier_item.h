// TStatusNotifierItem: the program's icon in a notification area that the desktop's panel
// hosts over the session bus (the StatusNotifierItem protocol of KDE Plasma, XFCE, LXQt,
// GNOME's AppIndicator extension and others), with its menu (dbus_menu.h). It takes a
// service name of its own, puts its objects on the bus, and tells the panel's watcher of
// itself; a watcher that comes up later (a restarted panel) is told again. It ends all of
// that when destroyed. What the panel asks of the icon goes to the events given, after the
// call has been answered.
//
// Thread-safety: main thread only.
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "desktop/qt/dbus_menu.h"
#include "desktop/qt/dbus_object.h"
#include "desktop/qt/dbus_types.h"

namespace horalux {

struct TStatusNotifierEvents {
  std::function<void()> activate;           // the primary action (a click, or a double one)
  std::function<void()> secondaryActivate;  // the middle button
  std::function<void()> contextMenu;        // a panel that shows no exported menu
  TDBusMenuEvents menu;
};

class TStatusNotifierItem : public TDBusObject {
 public:
  static constexpr const char* kPath = "/StatusNotifierItem";
  static constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";

  // Requires: `bus` is connected. `id` names the program to the panel, for good.
  TStatusNotifierItem(QDBusConnection bus, QString id, TStatusNotifierEvents events);
  ~TStatusNotifierItem() override;
  TStatusNotifierItem(const TStatusNotifierItem&) = delete;
  TStatusNotifierItem& operator=(const TStatusNotifierItem&) = delete;

  // Whether `bus` has a panel's watcher now.
  static bool WatcherPresent(const QDBusConnection& bus);

  const QString& ServiceName() const noexcept { return serviceName_; }
  // Each setter tells the panel when the value changed.
  void SetTitle(const QString& title);
  void SetIcon(const QIcon& icon);
  void SetToolTip(const QString& tip);
  // The menu the panel shows; no items: none, and the panel asks for ContextMenu instead.
  void SetMenu(std::vector<TDBusMenu::TItem> items);

 protected:
  QVariantMap Properties() const override;
  QDBusMessage Call(const QDBusMessage& message) override;

 private:
  void RegisterWithWatcher();

  QDBusConnection bus_;
  QString id_;
  TStatusNotifierEvents events_;
  QString serviceName_;
  QString title_;
  TDBusImages images_;
  qint64 iconKey_ = 0;  // of the icon the images show
  QString tip_;
  TDBusMenu menu_;
  QDBusServiceWatcher watcher_;
  QObject context_;  // of the watcher's connection
};

}  // namespace horalux
