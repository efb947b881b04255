// TForm1: the program's one window as its controller sees it. It owns the network
// components (time client, time server, idle processing), the activity log with its
// mirror, the settings and the handlers, and decides everything the window shows through
// a view (form1_view.h) that a toolkit implements. Its constructor runs window creation:
// the components with their settings, the view's bindings, the after-loading steps, then
// FormCreate.
//
// Thread-safety: main thread only, except IdTimeServerConnect, which the time server
// calls on a connection's thread and which hands its line over without waiting for the
// main thread (see incoming_lines.h).
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/clock_step.h"
#include "app/date_time_formats.h"
#include "app/form1_environment.h"
#include "app/form1_view.h"
#include "app/log/activity_log.h"
#include "app/log/incoming_lines.h"
#include "app/log/log_mirror.h"
#include "app/log/server_failure_notice.h"
#include "base/component.h"

namespace horalux {

class TIdAntiFreeze;
class TIdPeerThread;
class TIdTime;
class TIdTimeServer;

class TForm1 {
 public:
  static constexpr const char* kWebAddress = "https://horalux.example/";
  static constexpr const char* kWebAddressShown = "horalux.example";

  // Creates the window's components and runs its start-up (FormCreate). `view` outlives
  // this object. Throws what creating the network components throws.
  TForm1(TForm1View& view, TForm1Environment environment);
  // Stops the time server, then writes what the log's mirror still holds.
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Handlers, as the view calls them for its controls, timers and components. Through
  // Guard, except where the view's toolkit has its own way to show a failure.
  void FormCreate();
  void btSyncClick();
  void btSaveClick();
  void btHideClick();
  void abfTrayIconDblClick();
  void mnOptionsClick();
  void mnExitClick();
  void ckServerClick();
  void IdTimeServerConnect(TIdPeerThread& AThread);
  void Timer1Timer();
  void Timer2Timer();
  void lblURLClick();

  // The application was asked to quit (Exit, the close box, a termination signal, the
  // single-instance guard): a run that waits on the network ends at once, and no run
  // starts any more. The view calls it for every quit request, also its own.
  void QuitRequested();

  // Runs a handler; a failure it does not catch goes to the application's error box
  // (caption: the title; text: ErrorBoxText). Returns whether the handler ended normally.
  bool Guard(const std::function<void()>& handler);

  // What the tests look at.
  bool SyncInProgress() const noexcept { return syncInProgress_; }
  int MinutesElapsed() const noexcept { return minutesElapsed_; }
  const TActivityLog& LogLines() const noexcept { return log_; }
  // Lines never shown in the view because newer ones pushed them out at once.
  std::uint64_t LinesSkippedByView() const { return incoming_.SkippedByView(); }
  const TLogMirror& Mirror() const noexcept { return mirror_; }
  TIdTime& IdTime() const noexcept { return *idTime_; }
  TIdTimeServer& IdTimeServer() const noexcept { return *idTimeServer_; }

 private:
  void CreateComponents();
  void ReadSettings();
  void SetChecked(TCheckBox box, bool checked);

  // A run asked for by `origin`: at once, or after the one under way.
  void Sync(TSyncOrigin origin);
  // One run, and the steps inside its protected block.
  void RunSync(TSyncOrigin origin);
  void QueryAndSetClock(TSyncOrigin origin);
  void NotifyClockNotSet(const std::string& refusal, const std::string& advice);
  void NotifyUnreachable(const std::string& why);

  // The log: lines reach the view in batches, and every line its mirror.
  void AppendLogLine(const std::string& line, std::string mirrorNote = {});
  void DrainIncomingLines();
  void ShowPendingLines();
  std::string TimeTextNow();

  TForm1View& view_;
  TForm1Environment env_;
  TTimeTexts timeTexts_;  // the main thread's
  TActivityLog log_;
  TIncomingLines incoming_;
  TLogMirror mirror_;  // after what it reads; ends after the server below
  bool syncInProgress_ = false;
  std::optional<TSyncOrigin> syncRequestedMeanwhile_;
  bool quitRequested_ = false;
  std::string notifiedRefusal_;       // the reason last notified; empty after a set clock
  bool unreachableNotified_ = false;  // since the last answer
  int minutesElapsed_ = 0;
  TServerFailureNotice serverFailures_;  // written by the server's listeners

  TComponent components_;  // owns the components below, freed newest first
  TIdTime* idTime_ = nullptr;
  TIdTimeServer* idTimeServer_ = nullptr;
  TIdAntiFreeze* idAntiFreeze_ = nullptr;
};

}  // namespace horalux
