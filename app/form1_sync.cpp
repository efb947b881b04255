// The synchronisation run, the minute counter and the activity log of TForm1.
#include <chrono>
#include <utility>

#include "app/form1.h"
#include "app/log/log_lines.h"
#include "base/notice_name.h"
#include "platform/clock_setter.h"
#include "server/peer_thread.h"
#include "stack/exceptions.h"
#include "stack/wsa_codes.h"
#include "timeproto/time_client.h"

namespace horalux {
namespace {

// Under a stream of connections the view changes at most this often: one edit for all
// the lines that came meanwhile.
constexpr std::chrono::milliseconds kViewPause{50};

// What a failed run says of itself. A name lookup's error has a number and no text
// ("Socket Error # 11001"), though a mistyped name is the commonest reason of all.
std::string FailureMessage(const std::exception& failure) {
  static constexpr std::pair<int, const char*> kLookupTexts[] = {
      {Id_WSAHOST_NOT_FOUND, "Host not found."},
      {Id_WSATRY_AGAIN, "The name could not be looked up now."},
      {Id_WSANO_RECOVERY, "The name lookup failed."},
      {Id_WSANO_DATA, "The name has no address."},
  };
  if (const auto* socketError = dynamic_cast<const EIdSocketError*>(&failure)) {
    for (const auto& [code, text] : kLookupTexts) {
      if (code == socketError->errorCode()) return failure.what() + std::string(text);
    }
  }
  return failure.what();
}

// Ends a run on every path: flag, status text and cursor back as they were.
class TRunMarker {
 public:
  TRunMarker(bool& flag, TForm1View& view) : flag_(flag), view_(view) {
    flag_ = true;
    view_.SetWaitCursor(true);
  }
  ~TRunMarker() {
    flag_ = false;
    view_.SetStatusText(TStatusPanel::Run, "");
    view_.SetWaitCursor(false);
  }
  TRunMarker(const TRunMarker&) = delete;
  TRunMarker& operator=(const TRunMarker&) = delete;

 private:
  bool& flag_;
  TForm1View& view_;
};

}  // namespace

void TForm1::btSyncClick() { Sync(TSyncOrigin::User); }

// A start that arrives while a run waits on the network (a click or a minute tick handled
// by an idle step) never enters the time client again: it is kept and run right after;
// when the user asked meanwhile, that run is the user's. Once the program was asked to
// quit, no run starts: it would hold the quit until its limits (also the start-up run of a
// second instance, which only passes on its request).
void TForm1::Sync(TSyncOrigin origin) {
  if (quitRequested_) return;
  if (syncInProgress_) {
    if (syncRequestedMeanwhile_ != TSyncOrigin::User) syncRequestedMeanwhile_ = origin;
    return;
  }
  for (std::optional<TSyncOrigin> next = origin; next;
       next = std::exchange(syncRequestedMeanwhile_, std::nullopt)) {
    RunSync(*next);
  }
}

void TForm1::RunSync(TSyncOrigin origin) {
  const TRunMarker marker(syncInProgress_, view_);
  const std::string host = view_.HostText();
  view_.SetStatusText(TStatusPanel::Run, "Connecting to " + host + " ...");
  log_.TrimForRun();
  idTime_->Host = host;
  try {
    QueryAndSetClock(origin);
  } catch (const std::exception& failure) {
    if (quitRequested_) return;  // ended by QuitRequested
    const std::string why = UnreachableText(idTime_->Host, FailureMessage(failure));
    AppendLogLine(FailureLine(TimeTextNow(), idTime_->Host), NoticePrefix() + why);
    view_.SetTrayImage(tiFailed);
    NotifyUnreachable(why);
  }
}

// The log line says only "Connect Error", and a run every few minutes against a host that
// is gone must not make the desktop speak every few minutes: the first failure after an
// answer (or after the start) is told, with why.
void TForm1::NotifyUnreachable(const std::string& why) {
  if (std::exchange(unreachableNotified_, true)) return;
  view_.ShowTrayNotification("Time host not reachable", why);
}

// The clock gets the host's moment: the local time the client made, with the bias it was
// made with (clock_setter.h), unless the answer fails the run's checks (clock_step.h).
void TForm1::QueryAndSetClock(TSyncOrigin origin) {
  const TDateTime serverTime = idTime_->QueryDateTime();
  const TDateTime localNow = env_.localClock();
  if (serverTime == 0) return;  // no value came: nothing to set, nothing to say
  if (quitRequested_) return;   // ended by QuitRequested
  unreachableNotified_ = false;
  const std::int64_t difference = DifferenceSeconds(localNow, serverTime);
  const TSystemTime local = DateTimeToSystemTime(serverTime);
  const std::int32_t bias = idTime_->BiasMinutes();
  const TClockStep step{.hostUtcMs = UtcMillisecondsOf(local, bias),
                        .localUtcMs = UtcMillisecondsOf(DateTimeToSystemTime(localNow), bias),
                        .differenceSeconds = difference};
  std::string refusal = ClockStepRefusal(step, origin);
  // Our own checks say what to do; the system's refusals are a matter of rights.
  std::string advice;
  if (refusal.empty()) {
    refusal = env_.clockSetter->SetLocalTime(local, bias);
    advice = env_.clockRightsAdvice;
  }
  AppendLogLine(SuccessLine(TimeTextNow(), idTime_->Host, difference, refusal));
  view_.SetTrayImage(refusal.empty() ? tiNormal : tiFailed);
  NotifyClockNotSet(refusal, advice);
}

// The log says "difference -41 sec" whether or not the clock was set, and the reason that
// follows is cut at the window's edge: a user reads the line and believes the clock is
// right. So the desktop is told the first time, and again when the reason changes (a clock
// set in between counts as a change), with what to do about it.
void TForm1::NotifyClockNotSet(const std::string& refusal, const std::string& advice) {
  if (refusal == notifiedRefusal_) return;
  notifiedRefusal_ = refusal;
  if (refusal.empty()) return;
  std::string text =
      "The time host answered, but this computer's clock was left as it was: " + refusal;
  if (!advice.empty()) text += "\n" + advice;
  view_.ShowTrayNotification("Clock not set", text);
}

// A quit request ends a run that waits on the network at once. It arrives in an idle step
// of the run's wait: closing the time client's socket there ends the pending connect (its
// thread tolerates the close) or read, and the run unwinds at the wait's next slice. An
// ended run sets no clock, logs no line and leaves the image: it has no outcome to tell,
// and a "Connect Error" would blame a host that was never given its time. The start kept
// for after it is dropped.
void TForm1::QuitRequested() {
  quitRequested_ = true;
  syncRequestedMeanwhile_.reset();
  if (syncInProgress_) idTime_->CloseSocketOnly();
}

void TForm1::Timer2Timer() {
  ++minutesElapsed_;
  const int interval = view_.IntervalPosition();
  if (minutesElapsed_ >= interval && interval > 0) {
    Sync(TSyncOrigin::Automatic);
    minutesElapsed_ = 0;
  }
}

// On a connection's thread: the line goes to the main thread without waiting for it,
// and once for a whole batch of lines. It is formatted where it is read.
void TForm1::IdTimeServerConnect(TIdPeerThread& AThread) {
  if (incoming_.PushIncoming(env_.localClock, AThread.Connection().Binding()->PeerAddress())) {
    view_.Post([this] { DrainIncomingLines(); });
  }
}

// Shows what came, then pauses: what comes meanwhile is shown in one go after the pause.
void TForm1::DrainIncomingLines() {
  ShowPendingLines();
  view_.After(kViewPause, [this] {
    if (!incoming_.ArmView()) DrainIncomingLines();
  });
}

void TForm1::ShowPendingLines() {
  std::vector<std::string> lines;
  for (const TPendingLine& line : incoming_.TakeForView()) {
    lines.push_back(line.incoming ? IncomingLine(timeTexts_(line.when), line.text) : line.text);
  }
  log_.Append(lines);
}

// A run's line, behind the incoming lines that came before it, in the view as on
// standard error; its note on standard error only.
void TForm1::AppendLogLine(const std::string& line, std::string mirrorNote) {
  if (incoming_.PushLine(line, std::move(mirrorNote))) {
    DrainIncomingLines();
  } else {
    ShowPendingLines();
  }
}

std::string TForm1::TimeTextNow() { return timeTexts_(env_.localClock()); }

}  // namespace horalux
