// The single-instance guard between real processes: a small probe program (built with
// the tests) is started as the program would be, with a temporary runtime folder, or as
// an unprivileged user among objects that another account planted.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/qt/runtime_dir_testing.h"
#include "platform/foreign_user_testing.h"
#include "platform/scoped_temp_dir.h"

namespace horalux {
namespace {

constexpr int kWaitMs = 20000;  // generous: sanitizer builds start slowly

// One started probe and the lines it printed.
class Probe {
 public:
  // An empty `runtimeDir` leaves XDG_RUNTIME_DIR unset. With `user`, the probe runs as
  // that user id, without HOME.
  Probe(const QString& runtimeDir, const QStringList& arguments,
        std::optional<uid_t> user = std::nullopt) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtimeDir.isEmpty()) environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (user) {
      environment.remove(QStringLiteral("HOME"));
      process_.setChildProcessModifier([uid = *user] {
        if (!testing::BecomeUser(uid)) ::_exit(126);
      });
    }
    process_.setProcessEnvironment(environment);
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
  QString ErrorOutput() {
    errors_ += QString::fromLocal8Bit(process_.readAllStandardError());
    return errors_;
  }

 private:
  void Collect() {
    while (process_.canReadLine()) {
      lines_.append(QString::fromLocal8Bit(process_.readLine()).trimmed());
    }
  }

  QProcess process_;
  QStringList lines_;
  QString errors_;
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

// The second start's leave to take the focus goes to the first, which uses it; a token
// that is no token is not passed on.
TEST_F(OneInstanceProcessTest, TheSecondStartsActivationTokenReachesTheFirst) {
  auto first = Start({QStringLiteral("Horalux")});
  ASSERT_EQ(first->WaitForOutcome(), "first");
  auto refused = Start({QStringLiteral("Horalux"), QStringLiteral("--token=two words")});
  EXPECT_TRUE(refused->EndsNormally());
  EXPECT_TRUE(first->WaitForLine(QStringLiteral("shown")));
  EXPECT_FALSE(first->Lines().join('\n').contains(QStringLiteral("token")));
  first->KillHard();

  auto next = Start({QStringLiteral("Horalux")});
  ASSERT_EQ(next->WaitForOutcome(), "first");
  auto second = Start({QStringLiteral("Horalux"), QStringLiteral("--token=weston-4_2:9")});
  EXPECT_TRUE(second->EndsNormally());
  EXPECT_TRUE(next->WaitForLine(QStringLiteral("token weston-4_2:9")));
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

// Probes run as an unprivileged test user without a runtime folder; another account has
// planted objects in /tmp (see platform/foreign_user_testing.h).
class OneInstanceAmongUsersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as other users";
    ::chmod(scratch.Path().c_str(), 0755);
    Clean();
  }
  void TearDown() override {
    for (const int socket : sockets) ::close(socket);
    Clean();
  }
  void Clean() {
    for (const std::string& name : tmpNames) testing::RemovePlanted(name);
    for (const std::string& name : OldNames()) testing::RemovePlanted(name);
  }
  // Where the guard's objects used to be when no runtime folder was set.
  std::vector<std::string> OldNames() const {
    const std::string uid = std::to_string(user);
    return {"/tmp/Horalux.OneInstance.CriticalSection." + uid + ".lock",
            "/tmp/Horalux.OneInstance.Default." + uid + ".lock",
            "/tmp/Horalux.OneInstance.Activation." + uid};
  }
  std::unique_ptr<Probe> Start(const std::string& runtimeDir = "") {
    return std::make_unique<Probe>(QString::fromStdString(runtimeDir),
                                   QStringList{QStringLiteral("Horalux")}, user);
  }
  int PlantSocket(const std::string& path) {
    sockets.push_back(testing::PlantListeningSocket(path, testing::kOtherUser));
    return sockets.back();
  }

  const uid_t user = testing::TestUser();
  const std::vector<std::string> tmpNames = testing::PrivateTmpNames(user);
  testing::ScopedTempDir scratch;
  std::vector<int> sockets;
};

TEST_F(OneInstanceAmongUsersTest, NothingAnotherUserPlantsInTmpStopsFoolsOrDoublesTheGuard) {
  const std::vector<std::string> old = OldNames();
  testing::PlantFile(old[0], testing::kOtherUser);  // once made every start end
  testing::PlantFile(old[1], testing::kOtherUser);  // once let two instances run
  const int oldSocket = PlantSocket(old[2]);        // once received the requests
  const int newSocket = PlantSocket(tmpNames[0]);
  testing::PlantFolder(tmpNames[1], testing::kOtherUser, 0777);
  // The first instance's runtime folder is read-only: it must meet the second anyway.
  const std::string readOnly = scratch.File("runtime");
  testing::PlantFolder(readOnly, user, 0500);

  auto first = Start(readOnly);
  ASSERT_EQ(first->WaitForOutcome(), "first") << first->ErrorOutput().toStdString();
  auto second = Start();
  EXPECT_EQ(second->WaitForOutcome(), "second");
  EXPECT_TRUE(second->EndsNormally());
  EXPECT_TRUE(first->WaitForLine(QStringLiteral("shown")));
  EXPECT_FALSE(testing::SomeoneConnected(oldSocket));
  EXPECT_FALSE(testing::SomeoneConnected(newSocket));
}

TEST_F(OneInstanceAmongUsersTest, WithoutAnyPrivatePlaceEachStartRunsAndSaysSo) {
  for (const std::string& name : tmpNames) {
    testing::PlantFolder(name, testing::kOtherUser, 0700);
  }
  auto first = Start();
  auto second = Start();
  EXPECT_EQ(first->WaitForOutcome(), "first");
  EXPECT_EQ(second->WaitForOutcome(), "first");
  EXPECT_TRUE(first->ErrorOutput().contains(
      QStringLiteral("horalux: running without the single-instance guard: ")))
      << first->ErrorOutput().toStdString();
}

}  // namespace
}  // namespace horalux
