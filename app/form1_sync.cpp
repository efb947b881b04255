// The synchronisation run, the minute counter and the activity log of TForm1.
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <chrono>

#include "app/form1.h"
#include "app/log_lines.h"
#include "desktop/tray_icon.h"
#include "desktop/tray_images.h"
#include "server/peer_thread.h"
#include "timeproto/time_client.h"

namespace horalux {
namespace {

// Under a stream of connections the view changes at most this often: one edit for all
// the lines that came meanwhile.
constexpr std::chrono::milliseconds kViewPause{50};

// Ends a run on every path: flag, status text and cursor back as they were.
class RunMarker {
 public:
  RunMarker(bool& flag, QLabel& status) : flag_(flag), status_(status) {
    flag_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~RunMarker() {
    flag_ = false;
    status_.clear();
    QApplication::restoreOverrideCursor();
  }
  RunMarker(const RunMarker&) = delete;
  RunMarker& operator=(const RunMarker&) = delete;

 private:
  bool& flag_;
  QLabel& status_;
};

// One edit: the first `removed` lines go, the new ones come at the end. The cursor is
// placed by position only: a cursor that moves by blocks lays out every block it passes.
void ChangeLines(QPlainTextEdit& edit, const LocaleText& programText, std::size_t removed,
                 const std::vector<std::string>& appended) {
  QTextDocument& document = *edit.document();
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  if (removed > 0) {
    const QTextBlock kept = document.findBlockByNumber(static_cast<int>(removed));
    cursor.setPosition(kept.isValid() ? kept.position() : document.characterCount() - 1,
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  QString text;
  for (const std::string& line : appended) {
    if (!text.isEmpty() || !document.isEmpty()) text += QLatin1Char('\n');
    text += programText.ToQString(line);
  }
  cursor.setPosition(document.characterCount() - 1);
  cursor.insertText(text);
  cursor.endEditBlock();
}

// The newest line from its start: a long line must not leave the view scrolled sideways.
void ShowStartOfLastLine(QPlainTextEdit& edit) {
  QTextCursor cursor(edit.document());
  cursor.setPosition(edit.document()->lastBlock().position());
  edit.setTextCursor(cursor);
  edit.ensureCursorVisible();
  edit.horizontalScrollBar()->setValue(0);
}

}  // namespace

// A start that arrives while a run waits on the network (a click or a minute tick handled
// by an idle step) never enters the time client again: it is kept and run right after.
// Once the program was asked to quit, no run starts: it would hold the quit until its
// limits (also the start-up run of a second instance, which only passes on its request).
void TForm1::btSyncClick() {
  if (env_.application->Terminated()) return;
  if (syncInProgress_) {
    syncRequestedMeanwhile_ = true;
    return;
  }
  do {
    syncRequestedMeanwhile_ = false;
    RunSync();
  } while (syncRequestedMeanwhile_);
}

void TForm1::RunSync() {
  const RunMarker marker(syncInProgress_, *StatusPanel0);
  StatusPanel0->setText(QStringLiteral("Connecting to ") + cbTimeHost->currentText() +
                        QStringLiteral(" ..."));
  log_.TrimForRun();
  idTime_->Host = HostText();
  try {
    QueryAndSetClock();
  } catch (const std::exception&) {
    if (env_.application->Terminated()) return;  // ended by AbortRun
    AppendLogLine(FailureLine(TimeTextNow(), idTime_->Host));
    abfTrayIcon_->SetImageIndex(tiFailed);
  }
}

void TForm1::QueryAndSetClock() {
  const TDateTime serverTime = idTime_->QueryDateTime();
  const TDateTime localNow = env_.localClock();
  if (serverTime == 0) return;                 // no value came: nothing to set, nothing to say
  if (env_.application->Terminated()) return;  // ended by AbortRun
  const std::int64_t difference = DifferenceSeconds(localNow, serverTime);
  const std::string refusal = env_.clockSetter->SetLocalTime(DateTimeToSystemTime(serverTime));
  AppendLogLine(SuccessLine(TimeTextNow(), idTime_->Host, difference, refusal));
  abfTrayIcon_->SetImageIndex(refusal.empty() ? tiNormal : tiFailed);
  NotifyClockNotSet(refusal);
}

// The log says "difference -41 sec" whether or not the clock was set, and the reason that
// follows is cut at the window's edge: a user reads the line and believes the clock is
// right. So the desktop is told the first time, and again when the reason changes (a clock
// set in between counts as a change), with what to do about it.
void TForm1::NotifyClockNotSet(const std::string& refusal) {
  if (refusal == notifiedRefusal_) return;
  notifiedRefusal_ = refusal;
  if (refusal.empty()) return;
  abfTrayIcon_->ShowNotification(
      QStringLiteral("Clock not set"),
      QStringLiteral("The time host answered, but this computer's clock was left as it was: %1\n"
                     "Horalux needs the right to set the clock. See \"Rights\" in its README, "
                     "or run: sudo setcap cap_sys_time,cap_net_bind_service+ep %2")
          .arg(text_.ToQString(refusal), QCoreApplication::applicationFilePath()));
}

// A quit request ends a run that waits on the network at once. It arrives in an idle step
// of the run's wait: closing the time client's socket there ends the pending connect (its
// thread tolerates the close) or read, and the run unwinds at the wait's next slice. An
// ended run sets no clock, logs no line and leaves the image: it has no outcome to tell,
// and a "Connect Error" would blame a host that was never given its time. The start kept
// for after it is dropped.
void TForm1::AbortRun() {
  syncRequestedMeanwhile_ = false;
  if (syncInProgress_) idTime_->CloseSocketOnly();
}

void TForm1::Timer2Timer() {
  ++minutesElapsed_;
  const int interval = edInterval->value();
  if (minutesElapsed_ >= interval && interval > 0) {
    btSyncClick();
    minutesElapsed_ = 0;
  }
}

// On a connection's thread: the line goes to the main thread without waiting for it,
// and once for a whole batch of lines. It is formatted where it is read.
void TForm1::IdTimeServerConnect(TIdPeerThread& AThread) {
  if (incoming_.PushIncoming(env_.localClock, AThread.Connection().Binding()->PeerAddress())) {
    QMetaObject::invokeMethod(
        this, [this] { DrainIncomingLines(); }, Qt::QueuedConnection);
  }
}

// Shows what came, then pauses: what comes meanwhile is shown in one go after the pause.
void TForm1::DrainIncomingLines() {
  ShowPendingLines();
  QTimer::singleShot(kViewPause, this, [this] {
    if (!incoming_.ArmView()) DrainIncomingLines();
  });
}

void TForm1::ShowPendingLines() {
  std::vector<std::string> lines;
  for (const PendingLine& line : incoming_.TakeForView()) {
    lines.push_back(line.incoming ? IncomingLine(formats_.TimeText(line.when), line.text)
                                  : line.text);
  }
  log_.Append(lines);
}

// A run's line, behind the incoming lines that came before it, in the view as on
// standard error.
void TForm1::AppendLogLine(const std::string& line) {
  if (incoming_.PushLine(line)) {
    DrainIncomingLines();
  } else {
    ShowPendingLines();
  }
}

void TForm1::ConnectLogView() {
  log_.SetListener([this](std::size_t removed, const std::vector<std::string>& appended) {
    ChangeLines(*Log, text_, removed, appended);
    ShowStartOfLastLine(*Log);
  });
}

std::string TForm1::TimeTextNow() const { return formats_.TimeText(env_.localClock()); }

}  // namespace horalux
