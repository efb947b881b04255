// Synchronisation runs, the minute counter and the activity log of TForm1.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "app/form1_test_support.h"
#include "app/locale_text.h"
#include "desktop/tray_icon.h"
#include "stack/stack_posix.h"
#include "tests/support/loopback.h"
#include "tests/support/scripted_server.h"
#include "timeproto/time_client.h"

namespace horalux::testing {
namespace {

constexpr std::uint32_t kValue = 3'974'000'000u;  // 2025-12-06 UTC
constexpr double kSecond = 1.0 / 86400.0;

const TDateTime kServerTime = TimeValueToDateTimeNear(kValue, 0, 2.0, 45997.0);

class SyncTest : public FormTest {
 protected:
  // A window whose host is a loopback server answering with kValue, and whose local
  // clock stands `offsetSeconds` away from the server's time.
  void StartWithServer(PeerScript script, double offsetSeconds) {
    server = std::make_unique<ScriptedServer>(std::move(script));
    clientPort = server->Port();
    localClock = [offsetSeconds] { return kServerTime + offsetSeconds * kSecond; };
    WriteHostList("");
    WriteStore(
        "\"Host\"=\"127.0.0.1\"\n\"Interval\"=dword:0000000f\n"
        "\"Sync on Startup\"=dword:00000000\n\"Start Server\"=dword:00000000\n");
    Start();
  }

  std::string TimeText() const { return DateTimeFormats().TimeText(localClock()); }

  std::unique_ptr<ScriptedServer> server;
};

TEST_F(SyncTest, ASuccessfulRunSetsTheClockAndLogsTheDifference) {
  StartWithServer({TimeBytes(kValue)}, 2.0);
  form->btSyncClick();
  ASSERT_EQ(clock->requests.size(), 1u);
  const TSystemTime set = clock->requests[0];
  EXPECT_EQ(SystemTimeToDateTime(set), kServerTime);
  EXPECT_EQ(LogLines(),
            std::vector<std::string>{"-> " + TimeText() + "  127.0.0.1 * difference +2 sec"});
  EXPECT_EQ(ViewLines(), LogLines());
  EXPECT_EQ(form->abfTrayIcon().ImageIndex(), 0);
  EXPECT_FALSE(form->SyncInProgress());
  EXPECT_EQ(form->StatusPanel0->text(), QString());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SyncTest, RoundsTheDifferenceToWholeSeconds) {
  for (const auto& [offset, text] : std::vector<std::pair<double, std::string>>{
           {-2.6, "difference -3 sec"}, {-2.4, "difference -2 sec"}, {1.2, "difference +1 sec"}}) {
    form.reset();
    StartWithServer({TimeBytes(kValue)}, offset);
    form->btSyncClick();
    ASSERT_EQ(form->LogLines().Lines().size(), 1u);
    EXPECT_NE(form->LogLines().Lines()[0].find(" * " + text), std::string::npos)
        << form->LogLines().Lines()[0];
  }
}

TEST_F(SyncTest, AClockThatCouldNotBeSetIsSaidSoAndShowsTheFailedImage) {
  clockRefusal = "Operation not permitted";
  StartWithServer({TimeBytes(kValue)}, 0.0);
  form->btSyncClick();
  EXPECT_EQ(LogLines(), std::vector<std::string>{"-> " + TimeText() +
                                                 "  127.0.0.1 * difference 0 sec * clock not set: "
                                                 "Operation not permitted"});
  EXPECT_EQ(form->abfTrayIcon().ImageIndex(), 1);
}

TEST_F(SyncTest, AClockNotSetIsNotifiedTheFirstTimeAndWheneverTheReasonChanges) {
  clockRefusal = "Operation not permitted";
  StartWithServer({TimeBytes(kValue)}, 0.0);
  std::vector<QString> shown;
  form->abfTrayIcon().SetNotificationPresenter(
      [&](const QString& title, const QString& text) { shown.push_back(title + u'|' + text); });
  for (const char* refusal :
       {"Operation not permitted", "Operation not permitted",
        "Interactive authentication required.", "", "", "Interactive authentication required."}) {
    clockRefusal = refusal;
    form->btSyncClick();
  }
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Clock not set|")));
  EXPECT_TRUE(shown[0].contains(QStringLiteral(": Operation not permitted\n")));
  EXPECT_TRUE(shown[0].contains(QStringLiteral("See \"Rights\" in its README")));
  EXPECT_TRUE(shown[0].contains(QStringLiteral("setcap cap_sys_time")));
  EXPECT_TRUE(shown[1].contains(QStringLiteral("Interactive authentication required.")));
  EXPECT_EQ(shown[2], shown[1]);
  EXPECT_EQ(LogLines().back(), "-> " + TimeText() +
                                   "  127.0.0.1 * difference 0 sec * clock not set: "
                                   "Interactive authentication required.");
}

TEST_F(SyncTest, AFailedRunLogsTheConnectErrorAndShowsTheFailedImage) {
  StartWithServer({""}, 0.0);  // closes without a byte
  form->btSyncClick();
  EXPECT_EQ(LogLines(),
            std::vector<std::string>{"-> " + TimeText() + "  127.0.0.1 *** Connect Error ***"});
  EXPECT_EQ(form->abfTrayIcon().ImageIndex(), 1);
  EXPECT_TRUE(clock->requests.empty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SyncTest, NoValueLeavesLogClockAndImageAlone) {
  StartWithServer({"\x01\x02"}, 0.0);
  form->btSyncClick();
  EXPECT_TRUE(form->LogLines().Lines().empty());
  EXPECT_TRUE(clock->requests.empty());
  EXPECT_EQ(form->abfTrayIcon().ImageIndex(), 0);
}

TEST_F(SyncTest, AnEmptyHostStillRuns) {
  StartWithServer({TimeBytes(kValue)}, 0.0);
  form->cbTimeHost->setEditText(QString());
  form->btSyncClick();
  ASSERT_EQ(form->LogLines().Lines().size(), 1u);
  EXPECT_EQ(form->LogLines().Lines()[0], "-> " + TimeText() + "   *** Connect Error ***");
}

TEST_F(SyncTest, TheStatusShowsTheRunWhileItWaits) {
  StartWithServer({TimeBytes(kValue), 700}, 0.0);
  QString seen;
  QTimer::singleShot(300, [&] {
    seen = form->StatusPanel0->text();
    form->Timer1Timer();  // the status refresh leaves the run's text alone
    seen += QLatin1Char('|') + form->StatusPanel0->text();
  });
  form->btSyncClick();
  EXPECT_EQ(seen, QStringLiteral("Connecting to 127.0.0.1 ...|Connecting to 127.0.0.1 ..."));
}

TEST_F(SyncTest, AStartDuringARunIsRunAfterItAndNeverEntersTheClientTwice) {
  StartWithServer({TimeBytes(kValue), 500}, 0.0);
  QTimer::singleShot(200, [&] { form->btSync->click(); });
  form->btSyncClick();
  EXPECT_EQ(form->LogLines().Lines().size(), 2u);
  EXPECT_EQ(server->Accepted(), 2);
  EXPECT_EQ(clock->requests.size(), 2u);
}

TEST_F(SyncTest, StartUpRunHappensWithTheWindowHidden) {
  server = std::make_unique<ScriptedServer>(PeerScript{TimeBytes(kValue)});
  clientPort = server->Port();
  localClock = [] { return kServerTime; };
  WriteHostList("");
  WriteStore(
      "\"Host\"=\"127.0.0.1\"\n\"Interval\"=dword:0000000f\n"
      "\"Sync on Startup\"=dword:00000001\n\"Start Server\"=dword:00000000\n");
  Start();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->LogLines().Lines().size(), 1u);
  EXPECT_EQ(clock->requests.size(), 1u);
}

// Answers every name with loopback, so that no name below is ever asked of a resolver.
class LoopbackLookupStack : public TIdStackPosix {
 public:
  static std::vector<std::string>& LookedUp() {
    static std::vector<std::string> names;
    return names;
  }
  std::string LookupAddressOf(const std::string& hostName) override {
    LookedUp().push_back(hostName);
    return "127.0.0.1";
  }
};

std::unique_ptr<TIdStack> MakeLoopbackLookupStack() {
  return std::make_unique<LoopbackLookupStack>();
}

TEST_F(SyncTest, HostsKeepTheirBytesThroughTheBoxTheRunTheLogAndSave) {
  const ScopedStackImplementation stack(&MakeLoopbackLookupStack);
  const std::string latin1 =
      "zeit.b\xfc"
      "cher.example";
  const std::string notUtf8 = "bad\xff\xfe.example";
  for (const auto& [codeset, host] : {std::pair{"ISO-8859-1", latin1}, {"UTF-8", notUtf8}}) {
    form.reset();
    LoopbackLookupStack::LookedUp().clear();
    textCodeset = codeset;
    server = std::make_unique<ScriptedServer>(PeerScript{TimeBytes(kValue)});
    clientPort = server->Port();
    localClock = [] { return kServerTime; };
    WriteHostList(host + "\r\n");
    WriteStore("\"Host\"=\"" + host + "\"\n\"Interval\"=dword:0000000f\n" +
               "\"Sync on Startup\"=dword:00000000\n\"Start Server\"=dword:00000000\n");
    Start();
    EXPECT_EQ(form->cbTimeHost->itemText(0), form->cbTimeHost->currentText());
    form->btSyncClick();
    EXPECT_EQ(LoopbackLookupStack::LookedUp(), std::vector<std::string>{host});
    const std::string line = "-> " + TimeText() + "  " + host + " * difference 0 sec";
    EXPECT_EQ(LogLines(), std::vector<std::string>{line});
    EXPECT_EQ(form->Log->toPlainText(), LocaleText(codeset).ToQString(line));
    form->btSaveClick();
    EXPECT_NE(StoreText().find("\"Host\"=\"" + host + "\""), std::string::npos) << codeset;
  }
  EXPECT_EQ(form->cbTimeHost->currentText(),
            QStringLiteral("bad") + QChar(0xDCFF) + QChar(0xDCFE) + QStringLiteral(".example"));
  form.reset();
}

// A quit request (Exit, the close box, a termination signal) while a run waits on the
// network ends the run at once: nothing logged, the image as it was, no run after it.
class QuitDuringRunTest : public SyncTest {
 protected:
  // Runs against a peer on `port` and asks to quit 300 ms into the run; returns how long
  // the run took.
  std::chrono::milliseconds RunAndQuit(int port, const std::function<void()>& quit) {
    WriteHostList("");
    WriteStore(
        "\"Host\"=\"127.0.0.1\"\n\"Interval\"=dword:0000000f\n"
        "\"Sync on Startup\"=dword:00000000\n\"Start Server\"=dword:00000000\n");
    clientPort = port;
    Start();
    QTimer::singleShot(300, form.get(), quit);
    const auto started = std::chrono::steady_clock::now();
    form->btSyncClick();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started);
  }

  void ExpectEndedQuietly(std::chrono::milliseconds took) {
    EXPECT_LT(took.count(), 5000);  // a stalled connect waits 120 s, a silent peer 2.5 s
    EXPECT_TRUE(application.Terminated());
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(form->abfTrayIcon().ImageIndex(), 0);
    EXPECT_FALSE(form->SyncInProgress());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
};

TEST_F(QuitDuringRunTest, ExitEndsAConnectThatHangsInAFullListenQueue) {
  testing::UnreachablePeer unreachable;
  ExpectEndedQuietly(RunAndQuit(unreachable.Port(), [this] { form->mnExit->trigger(); }));
}

TEST_F(QuitDuringRunTest, TheCloseBoxEndsAConnectThatHangs) {
  testing::UnreachablePeer unreachable;
  ExpectEndedQuietly(RunAndQuit(unreachable.Port(), [this] { form->close(); }));
}

TEST_F(QuitDuringRunTest, ATerminationSignalEndsAConnectThatHangs) {
  testing::UnreachablePeer unreachable;
  ExpectEndedQuietly(RunAndQuit(unreachable.Port(), [this] { application.Terminate(); }));
}

TEST_F(QuitDuringRunTest, ExitEndsAWaitForAPeerThatNeverAnswersAndDropsTheRunAskedMeanwhile) {
  server = std::make_unique<ScriptedServer>(PeerScript{"", 0, 0, PeerScript::End::kHold});
  QTimer::singleShot(150, [this] { form->btSync->click(); });  // kept for after the run
  ExpectEndedQuietly(RunAndQuit(server->Port(), [this] { form->mnExit->trigger(); }));
  EXPECT_EQ(server->Accepted(), 1);
}

class MinuteCounterTest : public FormTest {
 protected:
  MinuteCounterTest() {
    WriteHostList("");
    WriteStore(
        "\"Host\"=\"127.0.0.1\"\n\"Interval\"=dword:0000000f\n"
        "\"Sync on Startup\"=dword:00000000\n\"Start Server\"=dword:00000000\n");
    Start();
    // An empty host fails at once, without any lookup beyond this machine: every run
    // leaves one line, quickly.
    form->cbTimeHost->setEditText(QString());
  }
  std::size_t Runs() const { return form->LogLines().Lines().size(); }
  void Ticks(int count) {
    for (int i = 0; i < count; ++i) form->Timer2Timer();
  }
};

TEST_F(MinuteCounterTest, RunsAtTheFifteenthTickAndEveryFifteenAfter) {
  Ticks(14);
  EXPECT_EQ(Runs(), 0u);
  Ticks(1);
  EXPECT_EQ(Runs(), 1u);
  EXPECT_EQ(form->MinutesElapsed(), 0);
  Ticks(15);
  EXPECT_EQ(Runs(), 2u);
}

TEST_F(MinuteCounterTest, IntervalZeroStopsRunsAndFifteenAfterFortyRunsAtTheNextTick) {
  form->edInterval->setValue(0);
  Ticks(40);
  EXPECT_EQ(Runs(), 0u);
  EXPECT_EQ(form->MinutesElapsed(), 40);
  form->edInterval->setValue(15);
  Ticks(1);
  EXPECT_EQ(Runs(), 1u);
}

TEST_F(MinuteCounterTest, ButtonRunsDoNotResetTheCounter) {
  Ticks(10);
  form->btSyncClick();
  EXPECT_EQ(form->MinutesElapsed(), 10);
}

TEST_F(MinuteCounterTest, TheLogKeepsAtMostAHundredLinesAndTheViewFollows) {
  for (int i = 0; i < 105; ++i) form->btSyncClick();
  EXPECT_EQ(form->LogLines().Lines().size(), 100u);
  EXPECT_EQ(ViewLines().size(), 100u);
}

}  // namespace
}  // namespace horalux::testing
