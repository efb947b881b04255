// For tests: a private session bus (a dbus-daemon of the test's own, ended with it), and
// on it a panel played by the test: a StatusNotifierItem watcher that records the items
// that register, calls to an item as panels make them, and a notification server that
// records what it is sent. The panel answers and asks without blocking the thread it
// shares with the item, as a panel in another process would.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <vector>

#include "desktop/qt/dbus_types.h"

namespace horalux::testing {

class PrivateBus {
 public:
  // Starts the bus; Address() is empty when dbus-daemon cannot be started.
  PrivateBus();
  ~PrivateBus();
  const QString& Address() const noexcept { return address_; }
  // A connection of its own, named `name`; dropped with the bus.
  QDBusConnection Connect(const QString& name);

 private:
  QProcess daemon_;
  QString address_;
  QStringList connections_;
};

class FakePanel {
 public:
  // Requires: `bus` outlives the panel.
  explicit FakePanel(PrivateBus& bus);
  ~FakePanel();

  // The watcher comes up (and says so on the bus), or goes away.
  void StartWatcher();
  void StopWatcher();
  void StartNotificationServer();

  // The service names that registered, in order.
  const QStringList& RegisteredItems() const;
  // Waits until `count` items have registered.
  bool AwaitRegistrations(int count);
  // The arguments of each Notify the server got.
  const std::vector<QVariantList>& Notifications() const;
  bool AwaitNotifications(std::size_t count);

  // A call to the newest registered item, answered or failed within five seconds.
  QDBusMessage CallItem(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& arguments = {});
  QVariant ItemProperty(const QString& name);
  TDBusMenuLayout MenuLayout();
  // A menu event as a panel sends it: "opened", "clicked", "closed".
  void MenuEvent(int id, const QString& eventId);

 private:
  class Watcher;
  class NotificationServer;

  QDBusConnection connection_;
  std::unique_ptr<Watcher> watcher_;
  std::unique_ptr<NotificationServer> notifications_;
};

}  // namespace horalux::testing
