// The synchronisation run, the minute counter and the activity log of TForm1.
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>

#include "app/form1.h"
#include "app/log_lines.h"
#include "desktop/tray_icon.h"
#include "desktop/tray_images.h"
#include "server/peer_thread.h"
#include "timeproto/time_client.h"

namespace horalux {
namespace {

// Every log line also goes to standard error, for people running the program headless.
Q_LOGGING_CATEGORY(horaluxLog, "horalux.log")

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

void RemoveFirstLine(QPlainTextEdit& edit) {
  QTextCursor cursor(edit.document()->firstBlock());
  if (!cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor)) {
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  }
  cursor.removeSelectedText();
}

// The newest line from its start: a long line must not leave the view scrolled sideways.
void ShowStartOfLastLine(QPlainTextEdit& edit) {
  QTextCursor cursor = edit.textCursor();
  cursor.movePosition(QTextCursor::End);
  cursor.movePosition(QTextCursor::StartOfBlock);
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
    AppendLogLine(FailureLine(TimeTextNow(), idTime_->Host), false);
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
  AppendLogLine(SuccessLine(TimeTextNow(), idTime_->Host, difference, refusal), false);
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

// On a connection's thread: the line goes to the main thread without waiting for it.
void TForm1::IdTimeServerConnect(TIdPeerThread& AThread) {
  const std::string address = AThread.Connection().Binding()->PeerAddress();
  // A copy of its own: the formats' locale may be used by one thread at a time, and the
  // window's thread uses it too. Copies of Qt's shared data are safe across threads.
  const DateTimeFormats formats = formats_;
  if (incoming_.Push(IncomingLine(formats.TimeText(env_.localClock()), address))) {
    QMetaObject::invokeMethod(
        this, [this] { DrainIncomingLines(); }, Qt::QueuedConnection);
  }
}

void TForm1::DrainIncomingLines() {
  for (const std::string& line : incoming_.TakeAll()) AppendLogLine(line, true);
}

void TForm1::AppendLogLine(const std::string& line, bool incoming) {
  if (incoming) {
    log_.AppendIncoming(line);
  } else {
    log_.AppendRunLine(line);
  }
}

void TForm1::ConnectLogView() {
  log_.SetListener({[this] { RemoveFirstLine(*Log); },
                    [this](const std::string& line) {
                      const QString text = text_.ToQString(line);
                      Log->appendPlainText(text);
                      ShowStartOfLastLine(*Log);
                      qCInfo(horaluxLog).noquote() << text;
                    }});
}

std::string TForm1::TimeTextNow() const { return formats_.TimeText(env_.localClock()); }

}  // namespace horalux
