// TForm1: the program's one window and its controller. It owns the controls (see
// form1_layout.cpp), the components (time client and server, idle processing, timers,
// tray icon, popup menu, single-instance guard), the activity log and the handlers
// behind them. Its constructor runs the four phases of window creation: components with
// their settings, references between them, after-loading steps, then FormCreate.
//
// Thread-safety: main thread only, except IdTimeServerConnect, which the time server
// calls on a connection's thread and which hands its line over without waiting for the
// main thread (see incoming_lines.h).
#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>
#include <string>

#include "app/activity_log.h"
#include "app/date_time_text.h"
#include "app/form1_environment.h"
#include "app/incoming_lines.h"
#include "app/locale_text.h"
#include "app/log_mirror.h"
#include "base/component.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace horalux {

class TIdAntiFreeze;
class TIdPeerThread;
class TIdTime;
class TIdTimeServer;
class TImageList;
class TabfOneInstance;
class TabfTrayIcon;
class TUrlLabel;

class TForm1 final : public QDialog {
 public:
  // Builds the window and runs its start-up (FormCreate).
  explicit TForm1(Form1Environment environment);
  ~TForm1() override;

  // Handlers, as the window's controls and components call them.
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

  // What the tests and the status display look at.
  bool SyncInProgress() const noexcept { return syncInProgress_; }
  int MinutesElapsed() const noexcept { return minutesElapsed_; }
  const ActivityLog& LogLines() const noexcept { return log_; }
  // Lines never shown in the view because newer ones pushed them out at once.
  std::uint64_t LinesSkippedByView() const { return incoming_.SkippedByView(); }
  const LogMirror& Mirror() const noexcept { return mirror_; }
  TIdTime& IdTime() const noexcept { return *idTime_; }
  TIdTimeServer& IdTimeServer() const noexcept { return *idTimeServer_; }
  TIdAntiFreeze& IdAntiFreeze() const noexcept { return *idAntiFreeze_; }
  TabfTrayIcon& abfTrayIcon() const noexcept { return *abfTrayIcon_; }
  TabfOneInstance& abfOneInstance1() const noexcept { return *abfOneInstance1_; }
  QMenu& PopupMenu() const noexcept { return *popupMenu_; }

  // The controls, named as the window description names them.
  QGroupBox* GroupBox2 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QSpinBox* edInterval = nullptr;  // the edit and its up-down control in one
  QCheckBox* ckStartup = nullptr;
  QComboBox* cbTimeHost = nullptr;
  QPushButton* btSync = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QCheckBox* ckServer = nullptr;
  QPlainTextEdit* Log = nullptr;
  QLabel* Label7 = nullptr;
  TUrlLabel* lblURL = nullptr;
  QPushButton* btSave = nullptr;
  QPushButton* btHide = nullptr;
  QWidget* StatusBar = nullptr;
  QLabel* StatusPanel0 = nullptr;  // run or server status
  QLabel* StatusPanel1 = nullptr;  // date and time
  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  QAction* mnOptions = nullptr;
  QAction* N1 = nullptr;
  QAction* mnExit = nullptr;

  static constexpr const char* kWebAddress = "https://horalux.example/";
  static constexpr const char* kWebAddressShown = "horalux.example";

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void reject() override;  // Escape does nothing

 private:
  // Window creation, in its four phases.
  void CreateControls();
  void CreateComponents();
  void ResolveReferences();
  void RunAfterLoadingSteps();
  void ConnectHandlers();

  void ShowMainWindow();
  void ShowStartupWarning();
  void ReadSettings();
  void SetChecked(QCheckBox& box, bool checked);

  // One run, and the steps inside its protected block.
  void RunSync();
  void AbortRun();
  void NotifyClockNotSet(const std::string& refusal);
  void QueryAndSetClock();
  void ConnectLogView();
  void AppendLogLine(const std::string& line);
  void DrainIncomingLines();
  void ShowPendingLines();
  std::string TimeTextNow() const;

  // The host box's text as program text (bytes in the locale's code set).
  std::string HostText() const;

  Form1Environment env_;
  LocaleText text_;  // program text to and from what the window shows
  DateTimeFormats formats_;
  ActivityLog log_;
  IncomingLines incoming_;
  // On standard error. After the lines it reads and the formats it copies: the copy is
  // the writer thread's own.
  LogMirror mirror_{incoming_,
                    [formats = formats_](TDateTime when) { return formats.TimeText(when); }};
  bool syncInProgress_ = false;
  bool syncRequestedMeanwhile_ = false;
  bool shownBefore_ = false;
  std::string notifiedRefusal_;  // the reason last notified; empty after a set clock
  int minutesElapsed_ = 0;

  TComponent components_;  // owns the components below, freed newest first
  TImageList* ImageList1_ = nullptr;
  TIdTime* idTime_ = nullptr;
  TIdTimeServer* idTimeServer_ = nullptr;
  TIdAntiFreeze* idAntiFreeze_ = nullptr;
  TabfTrayIcon* abfTrayIcon_ = nullptr;
  std::unique_ptr<QMenu> popupMenu_;
  TabfOneInstance* abfOneInstance1_ = nullptr;
};

}  // namespace horalux
