// The single-instance guard between real processes: a small probe program (built with
// the tests) is started as the program would be, with a temporary runtime folder.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <vector>

#include "desktop/test_runtime_dir.h"

namespace horalux {
namespace {

constexpr int kWaitMs = 20000;  // generous: sanitizer builds start slowly

// One started probe and the lines it printed.
class Probe {
 public:
  Probe(const QString& runtimeDir, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(HORALUX_ONE_INSTANCE_PROBE), arguments);
  }
  ~Probe() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(kWaitMs);
    }
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  // Waits until the probe printed `line` (true) or ended without it (false).
  bool WaitForLine(const QString& line) {
    QDeadlineTimer deadline(kWaitMs);
    while (!HasLine(line)) {
      if (deadline.hasExpired()) return false;
      if (!process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        Collect();
        return HasLine(line);
      }
    }
    return true;
  }

  // Waits until the probe printed "first" or "second"; returns which, or empty.
  QString WaitForOutcome() {
    QDeadlineTimer deadline(kWaitMs);
    while (!HasLine(QStringLiteral("first")) && !HasLine(QStringLiteral("second"))) {
      if (deadline.hasExpired()) return {};
      if (!process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        Collect();
        break;
      }
    }
    if (HasLine(QStringLiteral("first"))) return QStringLiteral("first");
    if (HasLine(QStringLiteral("second"))) return QStringLiteral("second");
    return {};
  }

  // Waits for the probe to end by itself; true when it ended with exit code 0.
  bool EndsNormally() {
    if (!process_.waitForFinished(kWaitMs)) return false;
    Collect();
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
  }

  bool Running() const { return process_.state() == QProcess::Running; }
  void KillHard() {  // SIGKILL: no clean-up of any kind
    process_.kill();
    process_.waitForFinished(kWaitMs);
  }
  bool HasLine(const QString& line) {
    Collect();
    return lines_.contains(line);
  }
  const QStringList& Lines() {
    Collect();
    return lines_;
  }

 private:
  void Collect() {
    while (process_.canReadLine()) {
      lines_.append(QString::fromLocal8Bit(process_.readLine()).trimmed());
    }
  }

  QProcess process_;
  QStringList lines_;
};

class OneInstanceProcessTest : public ::testing::Test {
 protected:
  std::unique_ptr<Probe> Start(const QStringList& arguments) {
    return std::make_unique<Probe>(runtime.Path(), arguments);
  }

  testing::ScopedRuntimeDir runtime;
};

TEST_F(OneInstanceProcessTest, ASecondStartEndsAndShowsTheFirst) {
  auto first = Start({QStringLiteral("Horalux")});
  ASSERT_EQ(first->WaitForOutcome(), "first");
  EXPECT_FALSE(first->HasLine(QStringLiteral("shown")));  // started hidden in the tray

  auto second = Start({QStringLiteral("Horalux")});
  EXPECT_EQ(second->WaitForOutcome(), "second");
  EXPECT_TRUE(second->EndsNormally());
  EXPECT_FALSE(second->HasLine(QStringLiteral("shown")));
  EXPECT_FALSE(second->Lines().join('\n').contains(QStringLiteral("message")));

  EXPECT_TRUE(first->WaitForLine(QStringLiteral("shown")));
  EXPECT_TRUE(first->Running());
}

TEST_F(OneInstanceProcessTest, ASecondStartRestoresAMinimisedFirst) {
  auto first = Start({QStringLiteral("Horalux"), QStringLiteral("--minimized")});
  ASSERT_EQ(first->WaitForOutcome(), "first");
  ASSERT_TRUE(first->HasLine(QStringLiteral("state minimized")));

  auto second = Start({QStringLiteral("Horalux"), QStringLiteral("--show-message")});
  EXPECT_TRUE(second->EndsNormally());
  EXPECT_TRUE(
      second->HasLine(QStringLiteral("message Application \"Horalux\" is already running.")));
  EXPECT_TRUE(first->WaitForLine(QStringLiteral("state normal")));
}

TEST_F(OneInstanceProcessTest, AfterTheFirstIsKilledTheNextStartRunsNormally) {
  auto killed = Start({QStringLiteral("Horalux")});
  ASSERT_EQ(killed->WaitForOutcome(), "first");
  killed->KillHard();

  auto next = Start({QStringLiteral("Horalux")});
  ASSERT_EQ(next->WaitForOutcome(), "first");
  // Its socket replaced the one the killed instance left behind.
  auto second = Start({QStringLiteral("Horalux")});
  EXPECT_TRUE(second->EndsNormally());
  EXPECT_TRUE(second->HasLine(QStringLiteral("second")));
  EXPECT_TRUE(next->WaitForLine(QStringLiteral("shown")));
}

TEST_F(OneInstanceProcessTest, DifferentTitlesRunSideBySide) {
  auto one = Start({QStringLiteral("Horalux")});
  auto other = Start({QStringLiteral("Horalux Test")});
  EXPECT_EQ(one->WaitForOutcome(), "first");
  EXPECT_EQ(other->WaitForOutcome(), "first");
  EXPECT_TRUE(one->Running());
  EXPECT_TRUE(other->Running());
}

TEST_F(OneInstanceProcessTest, StartsAtTheSameMomentLeaveExactlyOne) {
  std::vector<std::unique_ptr<Probe>> probes;
  for (int index = 0; index < 3; ++index) probes.push_back(Start({QStringLiteral("Horalux")}));

  int firsts = 0;
  for (auto& probe : probes) {
    const QString outcome = probe->WaitForOutcome();
    ASSERT_FALSE(outcome.isEmpty());
    if (outcome == "first") {
      ++firsts;
    } else {
      EXPECT_TRUE(probe->EndsNormally());
    }
  }
  EXPECT_EQ(firsts, 1);
  EXPECT_EQ(std::count_if(probes.begin(), probes.end(), [](auto& p) { return p->Running(); }), 1);
}

}  // namespace
}  // namespace horalux
