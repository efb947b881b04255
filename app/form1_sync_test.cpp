// Synchronisation runs, the minute counter and the activity log of the controller.
#include <gtest/gtest.h>

#include <chrono>

#include "app/clock_step.h"
#include "app/form1_test_support.h"
#include "app/log/log_lines.h"
#include "stack/platform_stack.h"
#include "tests/support/loopback.h"
#include "tests/support/scripted_server.h"
#include "tests/support/stack/scoped_stack.h"
#include "timeproto/time_client.h"

namespace horalux::testing {
namespace {

using std::chrono::milliseconds;

constexpr double kSecond = 1.0 / 86400.0;
constexpr std::int64_t kSecondsFrom1900To1970 = 2'208'988'800;

// The time hosts answer noon, 40 days after the day this program was built: a time that
// no run refuses for being too early. The tests' zone is UTC, so this is local time too.
const std::int64_t kServerUtcSeconds = BuildDayUtcMs() / 1000 + 40 * 86'400 + 12 * 3600;
const std::uint32_t kValue = static_cast<std::uint32_t>(kServerUtcSeconds + kSecondsFrom1900To1970);
const TDateTime kServerTime = static_cast<double>(kServerUtcSeconds) / 86'400 + 25'569;

const std::string kSettings =
    "\"Interval\"=dword:0000000f\n\"Sync on Startup\"=dword:00000000\n"
    "\"Start Server\"=dword:00000000\n";

class SyncTest : public FormTest {
 protected:
  // A controller whose host is a loopback server answering with kValue, and whose local
  // clock stands `offsetSeconds` away from the server's time.
  void StartWithServer(PeerScript script, double offsetSeconds) {
    localClock = [offsetSeconds] { return kServerTime + offsetSeconds * kSecond; };
    StartWith(std::move(script), kSettings);
  }
  // The same with `settings` as the store's values besides the host.
  void StartWith(PeerScript script, const std::string& settings) {
    server = std::make_unique<ScriptedServer>(std::move(script));
    clientPort = server->Port();
    WriteHostList("");
    WriteStore("\"Host\"=\"127.0.0.1\"\n" + settings);
    Start();
  }

  std::unique_ptr<ScriptedServer> server;
};

TEST_F(SyncTest, ASuccessfulRunSetsTheClockAndLogsTheDifference) {
  StartWithServer({TimeBytes(kValue)}, 2.0);
  form->btSyncClick();
  ASSERT_EQ(clock->requests.size(), 1u);
  EXPECT_EQ(clock->requests[0].UtcMilliseconds(), kServerUtcSeconds * 1000);
  EXPECT_EQ(LogLines(),
            std::vector<std::string>{"-> " + TimeTextNow() + "  127.0.0.1 * difference +2 sec"});
  EXPECT_EQ(view.logLines, LogLines());
  EXPECT_EQ(view.trayImage, 0);
  EXPECT_FALSE(form->SyncInProgress());
  EXPECT_EQ(view.status[0], "");
  EXPECT_EQ(view.waitCursor, 0);
}

TEST_F(SyncTest, RoundsTheDifferenceToWholeSeconds) {
  for (const auto& [offset, text] : std::vector<std::pair<double, std::string>>{
           {-2.6, "difference -3 sec"}, {-2.4, "difference -2 sec"}, {1.2, "difference +1 sec"}}) {
    Stop();
    StartWithServer({TimeBytes(kValue)}, offset);
    form->btSyncClick();
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_NE(LogLines()[0].find(" * " + text), std::string::npos) << LogLines()[0];
  }
}

TEST_F(SyncTest, AClockThatCouldNotBeSetIsSaidSoShowsTheFailedImageAndIsNotified) {
  StartWithServer({TimeBytes(kValue)}, 0.0);
  for (const char* refusal :
       {"Operation not permitted", "Operation not permitted",
        "Interactive authentication required.", "", "", "Interactive authentication required."}) {
    clock->refusal = refusal;
    form->btSyncClick();
    EXPECT_EQ(view.trayImage, *refusal != '\0' ? 1 : 0) << refusal;
  }
  EXPECT_EQ(LogLines()[0], "-> " + TimeTextNow() +
                               "  127.0.0.1 * difference 0 sec * clock not set: "
                               "Operation not permitted");
  const std::string said =
      "Clock not set|The time host answered, but this computer's clock was "
      "left as it was: ";
  EXPECT_EQ(view.notifications,
            (std::vector<std::string>{said + "Operation not permitted\nSee \"Rights\".",
                                      said + "Interactive authentication required.\nSee "
                                             "\"Rights\".",
                                      said + "Interactive authentication required.\nSee "
                                             "\"Rights\"."}));
}

TEST_F(SyncTest, AFailedRunLogsTheConnectErrorAndShowsTheFailedImage) {
  StartWithServer({""}, 0.0);  // closes without a byte
  form->btSyncClick();
  EXPECT_EQ(LogLines(),
            std::vector<std::string>{"-> " + TimeTextNow() + "  127.0.0.1 *** Connect Error ***"});
  EXPECT_EQ(view.trayImage, 1);
  EXPECT_TRUE(clock->requests.empty());
  EXPECT_EQ(view.waitCursor, 0);
}

TEST_F(SyncTest, AnUnreachableHostIsNotifiedOnceWithWhyUntilItAnswersAgain) {
  StartWithServer({TimeBytes(kValue)}, 0.0);
  const int answering = form->IdTime().Port;
  const int refusing = RefusingPort();
  for (const int port : {refusing, refusing, answering, refusing, refusing}) {
    form->IdTime().Port = port;
    form->btSyncClick();
  }
  const std::string told =
      "Time host not reachable|127.0.0.1: Socket Error # 10061 Connection refused.";
  EXPECT_EQ(view.notifications, (std::vector<std::string>{told, told}));
}

TEST_F(SyncTest, NoValueLeavesLogClockAndImageAlone) {
  StartWithServer({"\x01\x02"}, 0.0);
  form->btSyncClick();
  EXPECT_TRUE(LogLines().empty());
  EXPECT_TRUE(clock->requests.empty());
  EXPECT_EQ(view.trayImage, 0);
}

TEST_F(SyncTest, AnEmptyHostStillRuns) {
  StartWithServer({TimeBytes(kValue)}, 0.0);
  view.hostText = "";
  form->btSyncClick();
  EXPECT_EQ(LogLines(),
            std::vector<std::string>{"-> " + TimeTextNow() + "   *** Connect Error ***"});
  EXPECT_EQ(
      view.notifications,
      std::vector<std::string>{"Time host not reachable|Socket Error # 11001 Host not found."});
}

TEST_F(SyncTest, TheStatusShowsTheRunWhileItWaitsAndTheTimerLeavesItAlone) {
  StartWithServer({TimeBytes(kValue), 700}, 0.0);
  std::string seen;
  view.After(milliseconds(300), [&] {
    seen = view.status[0];
    form->Timer1Timer();
    seen += "|" + view.status[0];
    seen += view.waitCursor == 1 ? "|waiting" : "|not waiting";
  });
  form->btSyncClick();
  EXPECT_EQ(seen, "Connecting to 127.0.0.1 ...|Connecting to 127.0.0.1 ...|waiting");
}

TEST_F(SyncTest, AStartDuringARunIsRunAfterItAndNeverEntersTheClientTwice) {
  StartWithServer({TimeBytes(kValue), 500}, 0.0);
  view.After(milliseconds(200), [&] { form->btSyncClick(); });
  form->btSyncClick();
  EXPECT_EQ(LogLines().size(), 2u);
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
  EXPECT_FALSE(view.visible);
  EXPECT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(clock->requests.size(), 1u);
}

// An automatic run (at start-up, by the minute counter) moves the clock at most 15 hours
// either way, Sync Now any step; no run sets a time from before the build. A local clock
// that reads before the build is wrong, and any run moves it up to a host above the floor.
// A refused step is said as any other reason the clock was not set, and never reaches the
// clock setter, which otherwise gets the host's moment (in a zone two hours east here).
TEST_F(SyncTest, AutomaticRunsKeepToTheBoundAndNoRunGoesBelowTheBuildDay) {
  const ScopedFixedTimeZone twoHoursEast(FixedZone(-120));
  const std::int64_t hour = 3600;
  const std::int64_t twentyYears = 7305 * 24 * hour;
  const std::int64_t atFloor = BuildDayUtcMs() / 1000 - kServerUtcSeconds;
  const std::int64_t beforeBuild = atFloor - 1;
  const std::int64_t in2001 = 978'307'200 - kServerUtcSeconds;  // 2001-01-01 00:00 UTC
  const std::string bound = kStepTooLargeReason;
  const std::string floor = kBeforeBuildReason;
  enum Road { kStartUp, kMinuteCounter, kSyncNow };
  const struct {
    Road road;
    std::int64_t hostAhead;   // seconds from kServerUtcSeconds
    std::string refusal;      // empty: the clock is set
    std::int64_t localAhead;  // seconds from kServerUtcSeconds
  } cases[] = {
      {kStartUp, twentyYears, bound, 0},
      {kStartUp, -16 * hour, bound, 0},
      {kStartUp, -14 * hour, "", 0},
      {kStartUp, beforeBuild, floor, 0},
      {kMinuteCounter, twentyYears, bound, 0},
      {kMinuteCounter, -16 * hour, bound, 0},
      {kMinuteCounter, -14 * hour, "", 0},
      {kMinuteCounter, beforeBuild, floor, 0},
      {kSyncNow, twentyYears, "", 0},
      {kSyncNow, -16 * hour, "", 0},
      {kSyncNow, beforeBuild, floor, 0},
      // The bound's edges, as the run measures the difference.
      {kStartUp, 54'000, "", 0},
      {kStartUp, 54'001, bound, 0},
      {kMinuteCounter, -54'000, "", 0},
      {kMinuteCounter, -54'001, bound, 0},
      // A local clock known to be wrong, and the floor's edge for it.
      {kStartUp, 0, "", in2001},
      {kMinuteCounter, twentyYears, "", in2001},
      {kStartUp, in2001, floor, in2001},
      {kStartUp, beforeBuild, floor, in2001},
      {kStartUp, atFloor, "", in2001},
      {kSyncNow, 0, "", in2001},
      {kStartUp, beforeBuild + 16 * hour, "", beforeBuild},
      {kStartUp, atFloor + 16 * hour, bound, atFloor},
  };
  for (const auto& step : cases) {
    localClock = [&step] { return kServerTime + 2.0 / 24 + step.localAhead * kSecond; };
    const std::int64_t hostUtc = kServerUtcSeconds + step.hostAhead;
    const std::size_t notifiedBefore = view.notifications.size();
    StartWith({TimeBytes(static_cast<std::uint32_t>(hostUtc + kSecondsFrom1900To1970))},
              std::string("\"Interval\"=dword:00000001\n\"Sync on Startup\"=dword:0000000") +
                  (step.road == kStartUp ? "1" : "0") + "\n\"Start Server\"=dword:00000000\n");
    if (step.road == kMinuteCounter) form->Timer2Timer();
    if (step.road == kSyncNow) form->btSyncClick();
    const std::string what = std::to_string(step.road) + ", host " +
                             std::to_string(step.hostAhead) + " s, local " +
                             std::to_string(step.localAhead) + " s";
    ASSERT_EQ(LogLines().size(), 1u) << what;
    const std::string line = LogLines()[0];
    EXPECT_NE(line.find(DifferenceText(step.localAhead - step.hostAhead)), std::string::npos)
        << what << line;
    if (step.refusal.empty()) {
      ASSERT_EQ(clock->requests.size(), 1u) << what;
      EXPECT_EQ(clock->requests[0].UtcMilliseconds(), hostUtc * 1000) << what;
      EXPECT_EQ(view.trayImage, 0) << what;
    } else {
      EXPECT_TRUE(clock->requests.empty()) << what;
      EXPECT_NE(line.find(" * clock not set: " + step.refusal), std::string::npos) << what << line;
      EXPECT_EQ(view.trayImage, 1) << what;
      ASSERT_EQ(view.notifications.size(), notifiedBefore + 1) << what;
      EXPECT_EQ(view.notifications.back(),
                "Clock not set|The time host answered, but this "
                "computer's clock was left as it was: " +
                    step.refusal)
          << what;
    }
    Stop();
  }
}

// Answers every name with loopback, so that no name below is ever asked of a resolver.
class LoopbackLookupStack : public TIdStackPlatform {
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

TEST_F(SyncTest, HostsKeepTheirBytesThroughTheRunTheLogAndSave) {
  const ScopedStackImplementation stack(
      [] { return std::unique_ptr<TIdStack>(std::make_unique<LoopbackLookupStack>()); });
  const std::string host =
      "zeit.b\xfc"
      "cher\xff.example";  // neither UTF-8 nor anything else
  server = std::make_unique<ScriptedServer>(PeerScript{TimeBytes(kValue)});
  clientPort = server->Port();
  localClock = [] { return kServerTime; };
  WriteHostList(host + "\r\n");
  WriteStore("\"Host\"=\"" + host + "\"\n" + kSettings);
  Start();
  EXPECT_EQ(view.hostItems, std::vector<std::string>{host});
  EXPECT_EQ(view.hostText, host);
  form->btSyncClick();
  EXPECT_EQ(LoopbackLookupStack::LookedUp(), std::vector<std::string>{host});
  EXPECT_EQ(LogLines(),
            std::vector<std::string>{"-> " + TimeTextNow() + "  " + host + " * difference 0 sec"});
  form->btSaveClick();
  EXPECT_EQ(StoredLine("Host"), "\"Host\"=\"" + host + "\"");
}

// A quit request (Exit, the close box, a termination signal) while a run waits on the
// network ends the run at once: nothing logged, the image as it was, no run after it.
class QuitDuringRunTest : public SyncTest {
 protected:
  // Runs against a peer on `port` and asks to quit 300 ms into the run; returns how long
  // the run took.
  milliseconds RunAndQuit(int port) {
    WriteHostList("");
    WriteStore("\"Host\"=\"127.0.0.1\"\n" + kSettings);
    clientPort = port;
    Start();
    view.After(milliseconds(300), [this] { form->mnExitClick(); });
    const auto started = std::chrono::steady_clock::now();
    form->btSyncClick();
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - started);
  }

  void ExpectEndedQuietly(milliseconds took) {
    EXPECT_LT(took.count(), 5000);  // a stalled connect waits 120 s, a silent peer 2.5 s
    EXPECT_TRUE(view.terminated);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(view.trayImage, 0);
    EXPECT_FALSE(form->SyncInProgress());
    EXPECT_EQ(view.waitCursor, 0);
  }
};

TEST_F(QuitDuringRunTest, ExitEndsAConnectThatHangsInAFullListenQueue) {
  UnreachablePeer unreachable;
  ExpectEndedQuietly(RunAndQuit(unreachable.Port()));
}

TEST_F(QuitDuringRunTest, ExitEndsAWaitForAPeerThatNeverAnswersAndDropsTheRunAskedMeanwhile) {
  server = std::make_unique<ScriptedServer>(PeerScript{"", 0, 0, PeerScript::End::kHold});
  view.After(milliseconds(150), [this] { form->btSyncClick(); });  // kept for after the run
  ExpectEndedQuietly(RunAndQuit(server->Port()));
  EXPECT_EQ(server->Accepted(), 1);
}

class MinuteCounterTest : public FormTest {
 protected:
  MinuteCounterTest() {
    WriteHostList("");
    WriteStore("\"Host\"=\"127.0.0.1\"\n" + kSettings);
    Start();
    // An empty host fails at once, without any lookup beyond this machine: every run
    // leaves one line, quickly.
    view.hostText = "";
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
  view.intervalPosition = 0;
  Ticks(40);
  EXPECT_EQ(Runs(), 0u);
  EXPECT_EQ(form->MinutesElapsed(), 40);
  view.intervalPosition = 15;
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
  EXPECT_EQ(LogLines().size(), 100u);
  EXPECT_EQ(view.logLines, LogLines());
}

}  // namespace
}  // namespace horalux::testing
