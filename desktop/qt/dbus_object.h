// TDBusObject: one object on the session bus with one interface of its own and read-only
// properties, answered by hand (a virtual object): the calls of its interface go to Call,
// the property interface is answered from Properties, and Qt answers introspection from
// the description given.
//
// Thread-safety: Qt delivers the calls on the thread the object lives in (the main one).
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <functional>

namespace horalux {

class TDBusObject : public QDBusVirtualObject {
 public:
  // `introspection`: the <interface> element that describes `interface`.
  TDBusObject(QString interface, QString introspection);

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
  QString introspect(const QString&) const override { return introspection_; }

 protected:
  // The properties as their names on the bus give them.
  virtual QVariantMap Properties() const = 0;
  // A call of the interface: its reply, or an error reply.
  virtual QDBusMessage Call(const QDBusMessage& message) = 0;

  static QDBusMessage UnknownMethod(const QDBusMessage& message);
  // Sends a signal of the interface from `path`.
  void Signal(const QDBusConnection& bus, const QString& path, const QString& name,
              const QVariantList& arguments = {}) const;
  // Runs `work` (when set) once the call under way has been answered, so that it may run
  // a loop of its own; work still waiting goes with this object.
  void Later(const std::function<void()>& work);

 private:
  QDBusMessage PropertyCall(const QDBusMessage& message) const;

  QString interface_;
  QString introspection_;
  QObject later_;
};

}  // namespace horalux
