// The time-service path against a fake service on a private bus. Never the real service:
// it would set this machine's clock.
#include "desktop/qt/time_service.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <QDBusConnection>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <vector>

#include "platform/zone_change_cases_testing.h"
#include "tests/support/scoped_env.h"

namespace horalux {
namespace {

const TSystemTime kNoon{2026, 12, 2, 8, 12, 0, 0, 250};
constexpr std::int32_t kTwoHoursEast = -120;

// The bus and the fake service end with the test, even when a failing test aborts it.
void DieWithTheTest(QProcess& process) {
  process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

class TimeServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DieWithTheTest(bus_);
    DieWithTheTest(service_);
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1")});
    if (!bus_.waitForStarted(5000) || !bus_.waitForReadyRead(5000)) {
      GTEST_SKIP() << "dbus-daemon is not available";
    }
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
  }
  void TearDown() override {
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    for (QProcess* process : {&service_, &bus_}) {
      process->kill();
      process->waitForFinished(5000);
    }
  }

  void StartFakeService(const QString& refusal = {}) {
    QStringList arguments{QStringLiteral("--address"), address_};
    if (!refusal.isEmpty()) arguments << QStringLiteral("--refuse") << refusal;
    service_.start(QStringLiteral(HORALUX_FAKE_TIME_SERVICE), arguments);
    ASSERT_TRUE(service_.waitForReadyRead(5000));
    ASSERT_EQ(service_.readLine().trimmed(), QByteArray("ready"));
  }
  QDBusConnection Client() {
    return QDBusConnection::connectToBus(address_, QStringLiteral("client"));
  }
  QByteArray ServiceSaw() {
    service_.waitForReadyRead(5000);
    return service_.readLine().trimmed();
  }

  QProcess bus_;
  QProcess service_;
  QString address_;
};

TEST_F(TimeServiceTest, AskedWithoutInteractionAndInUtcMicroseconds) {
  StartFakeService();
  const TimeService::Answer answer = TimeService(Client()).SetTime(1'796'724'000'250'000);
  EXPECT_TRUE(answer.reached);
  EXPECT_EQ(answer.refusal, "");
  EXPECT_EQ(ServiceSaw(), QByteArray("SetTime 1796724000250000 0 0"));
}

TEST_F(TimeServiceTest, TheServicesRefusalIsTheReason) {
  StartFakeService(QStringLiteral("Automatic time synchronization is enabled"));
  const TimeService::Answer answer = TimeService(Client()).SetTime(1);
  EXPECT_TRUE(answer.reached);
  EXPECT_EQ(answer.refusal, "Automatic time synchronization is enabled");
}

TEST_F(TimeServiceTest, NoServiceOnTheBusIsNotAnAnswer) {
  EXPECT_FALSE(TimeService(Client()).SetTime(1).reached);
}

TEST_F(TimeServiceTest, WithoutTheRightTheServiceIsAskedAndItsReasonReported) {
  StartFakeService(QStringLiteral("Automatic time synchronization is enabled"));
  int direct = 0;
  auto setter = MakeDesktopClockSetter(Client(), [&direct](std::int64_t) {
    ++direct;
    return EPERM;
  });
  EXPECT_EQ(setter->SetLocalTime(kNoon, kTwoHoursEast),
            "Automatic time synchronization is enabled");
  EXPECT_EQ(direct, 1);
  // 2026-12-08 12:00:00.250 two hours east of UTC is 10:00:00.250 UTC.
  EXPECT_EQ(ServiceSaw(), QByteArray("SetTime 1796724000250000 0 0"));
}

TEST_F(TimeServiceTest, ServiceThatSetsTheClockIsASuccess) {
  StartFakeService();
  auto setter = MakeDesktopClockSetter(Client(), [](std::int64_t) { return EPERM; });
  EXPECT_EQ(setter->SetLocalTime(kNoon, kTwoHoursEast), "");
}

TEST_F(TimeServiceTest, NoServiceLeavesTheSystemsReason) {
  auto setter = MakeDesktopClockSetter(Client(), [](std::int64_t) { return EPERM; });
  EXPECT_EQ(setter->SetLocalTime(kNoon, kTwoHoursEast), "Operation not permitted");
}

TEST_F(TimeServiceTest, OtherFailuresAndSuccessNeverAskTheService) {
  StartFakeService();
  auto failing = MakeDesktopClockSetter(Client(), [](std::int64_t) { return EINVAL; });
  EXPECT_EQ(failing->SetLocalTime(kNoon, kTwoHoursEast), "Invalid argument");
  auto working = MakeDesktopClockSetter(Client(), [](std::int64_t) { return 0; });
  EXPECT_EQ(working->SetLocalTime(kNoon, kTwoHoursEast), "");
  service_.waitForReadyRead(300);
  EXPECT_EQ(service_.readAll(), QByteArray());
}

// The moment asked for is the time host's, also where this zone's rules would read the
// local time otherwise (an hour off across a change, the first pass of a repeated hour
// taken for the second).
TEST(DesktopClockSetter, AsksForTheHostsMomentAcrossTheZonesChanges) {
  for (const testing::ZoneChangeCase& step : testing::ZoneChangeCases()) {
    const testing::ScopedTimeZone zone(step.tz);
    const std::int32_t bias = step.zone.BiasAt(step.nowUtcMs);
    std::vector<std::int64_t> asked;
    auto setter = MakeDesktopClockSetter(QDBusConnection(QStringLiteral("none")),
                                         [&asked](std::int64_t micros) {
                                           asked.push_back(micros);
                                           return 0;
                                         });
    const TSystemTime local = UnixMillisecondsToSystemTime(step.targetUtcMs - bias * 60'000);
    EXPECT_EQ(setter->SetLocalTime(local, bias), "") << step.name;
    EXPECT_EQ(asked, std::vector<std::int64_t>{step.targetUtcMs * 1000}) << step.name;
  }
}

}  // namespace
}  // namespace horalux
