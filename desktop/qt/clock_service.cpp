#include "desktop/qt/clock_service.h"

#include <QDBusMessage>

#include <cerrno>
#include <cstring>

#include "desktop/qt/time_service.h"
#include "platform/system_clock_posix.h"

namespace horalux {
namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");
constexpr int kTimeoutMs = 5000;  // the main thread waits that long at most

class DesktopClockSetter : public ClockSetter {
 public:
  DesktopClockSetter(QDBusConnection bus, std::function<int(std::int64_t)> setSystemClock)
      : service_(std::move(bus)), setSystemClock_(std::move(setSystemClock)) {}

  std::string SetLocalTime(const TSystemTime& localTime, std::int32_t biasMinutes) override {
    const std::int64_t micros = UtcMillisecondsOf(localTime, biasMinutes) * 1000;
    const int error = setSystemClock_(micros);
    if (error == 0) return {};
    const std::string systemReason = std::strerror(error);
    if (error != EPERM) return systemReason;
    const TimeService::Answer answer = service_.SetTime(micros);
    return answer.reached ? answer.refusal : systemReason;
  }

 private:
  TimeService service_;
  std::function<int(std::int64_t)> setSystemClock_;
};

}  // namespace

TimeService::Answer TimeService::SetTime(std::int64_t unixMicroseconds) {
  if (!bus_.isConnected()) return {};
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("SetTime"));
  call << static_cast<qlonglong>(unixMicroseconds) << false << false;
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kTimeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage) return {true, {}};
  // No service at all (no bus daemon, nobody owns the name, no answer) is not a refusal.
  const QString name = reply.errorName();
  if (name == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown") ||
      name == QStringLiteral("org.freedesktop.DBus.Error.NoReply") ||
      name == QStringLiteral("org.freedesktop.DBus.Error.Disconnected") ||
      name == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner")) {
    return {};
  }
  const QString message = reply.errorMessage().isEmpty() ? name : reply.errorMessage();
  return {true, message.toStdString()};
}

std::unique_ptr<ClockSetter> MakeDesktopClockSetter(
    QDBusConnection bus, std::function<int(std::int64_t)> setSystemClock) {
  return std::make_unique<DesktopClockSetter>(std::move(bus), std::move(setSystemClock));
}

std::unique_ptr<ClockSetter> MakeDesktopClockSetter() {
  return MakeDesktopClockSetter(QDBusConnection::systemBus(), &SetSystemClock);
}

}  // namespace horalux
