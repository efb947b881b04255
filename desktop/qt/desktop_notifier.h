// TDesktopNotifier: a notification through the desktop's notification server
// (org.freedesktop.Notifications on the session bus), named after the program and tied to
// its menu entry, so that the desktop shows Horalux's name and icon and groups its
// notifications. Sent without waiting for the server's answer.
//
// Thread-safety: main thread only.
#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QString>

namespace horalux {

class TDesktopNotifier {
 public:
  static constexpr const char* kService = "org.freedesktop.Notifications";

  // `desktopEntry`: the menu entry's file name without ".desktop".
  TDesktopNotifier(QDBusConnection bus, QString desktopEntry);

  // Whether a server takes notifications now (or would be started for one).
  bool ServerPresent() const;
  // Sends the notification; false when there is no server to take it. Title and text are
  // plain text, shown as they are also by a server that reads markup.
  bool Notify(const QString& appName, const QString& title, const QString& text, const QIcon& icon);

 private:
  QDBusConnection bus_;
  QString desktopEntry_;
  bool markup_ = true;  // until the server says otherwise
  QObject context_;     // of the answer to the question for its capabilities
};

}  // namespace horalux
