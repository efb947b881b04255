// TDBusMenu: a notification-area icon's menu as the desktop's panel reads it over the
// session bus (com.canonical.dbusmenu), so that the panel shows the program's own menu.
// Items are numbered from 1 in their order (0 is the menu itself); what the panel reports
// of the menu goes to the events given, after the call has been answered, so that an
// event may run a loop of its own.
//
// Thread-safety: main thread only.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "desktop/qt/dbus_object.h"
#include "desktop/qt/dbus_types.h"

namespace horalux {

struct TDBusMenuEvents {
  std::function<void()> opened;
  std::function<void(int index)> chosen;  // index into the items; never a separator
  std::function<void()> closed;
};

class TDBusMenu : public TDBusObject {
 public:
  static constexpr const char* kPath = "/MenuBar";

  struct TItem {
    QString caption;  // with "&" before a mnemonic, as the program writes it
    bool separator = false;
  };

  TDBusMenu(QDBusConnection bus, TDBusMenuEvents events);

  // Replaces the items; the panel is told that the layout changed.
  void SetItems(std::vector<TItem> items);
  const std::vector<TItem>& Items() const noexcept { return items_; }

  // The label as the menu protocol writes a mnemonic: "_" before it, "__" for a "_".
  static QString Label(const QString& caption);

 protected:
  QVariantMap Properties() const override;
  QDBusMessage Call(const QDBusMessage& message) override;

 private:
  TDBusMenuLayout Layout(int id, int depth) const;
  QVariantMap ItemProperties(int id) const;
  bool IsItem(int id) const;
  void Event(int id, const QString& eventId);

  QDBusConnection bus_;
  TDBusMenuEvents events_;
  std::vector<TItem> items_;
  uint revision_ = 1;
};

}  // namespace horalux
