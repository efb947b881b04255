// A stand-in for the system's time service, for tests: it owns org.freedesktop.timedate1
// on the bus it is given, prints every SetTime call on standard output and sets nothing.
// With --refuse TEXT it refuses every call with that text, as the real service does when
// automatic synchronisation is on.
//   fake_time_service --address ADDRESS [--refuse TEXT]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <cstdio>

class FakeTimeDate : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")

 public:
  explicit FakeTimeDate(QString refusal) : refusal_(std::move(refusal)) {}

 public slots:
  void SetTime(qlonglong usecUtc, bool relative, bool interactive) {
    std::printf("SetTime %lld %d %d\n", usecUtc, relative, interactive);
    std::fflush(stdout);
    if (!refusal_.isEmpty()) {
      sendErrorReply(QStringLiteral("org.freedesktop.timedate1.AutomaticTimeSyncEnabled"),
                     refusal_);
    }
  }

 private:
  QString refusal_;
};

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const QStringList arguments = application.arguments();
  const auto valueOf = [&arguments](const QString& flag) {
    const qsizetype at = arguments.indexOf(flag);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : QString();
  };
  QDBusConnection bus =
      QDBusConnection::connectToBus(valueOf(QStringLiteral("--address")), QStringLiteral("fake"));
  FakeTimeDate service(valueOf(QStringLiteral("--refuse")));
  if (!bus.registerObject(QStringLiteral("/org/freedesktop/timedate1"), &service,
                          QDBusConnection::ExportAllSlots) ||
      !bus.registerService(QStringLiteral("org.freedesktop.timedate1"))) {
    std::fprintf(stderr, "cannot register: %s\n", qPrintable(bus.lastError().message()));
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  return application.exec();
}

#include "fake_time_service_testing.moc"
