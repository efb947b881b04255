// For tests: a toolkit that records what the desktop components ask of it and lets the
// test play the system's part (a timer's tick, a mouse message, a chosen menu item, the
// taskbar made anew). Recording toolkits of one process reach each other's activation
// listeners by name, as instances on one desktop do.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/toolkit.h"

namespace horalux::testing {

// An image known by its name.
class NamedIcon : public TIcon {
 public:
  explicit NamedIcon(std::string iconName) : name(std::move(iconName)) {}
  std::unique_ptr<TIcon> Clone() const override { return std::make_unique<NamedIcon>(name); }
  std::string name;
};
// The name of an image, "" for none.
std::string NameOf(const TIcon* icon);

struct RecordedBox {
  TMessageIcon icon;
  std::string caption;
  std::string text;
  bool operator==(const RecordedBox&) const = default;
};

// A real toolkit whose message boxes are recorded, not shown: a modal box would wait for
// a user that a test does not have.
template <class Toolkit>
class BoxesRecorded : public Toolkit {
 public:
  using Toolkit::Toolkit;
  void ShowMessageBox(TMessageIcon icon, const std::string& caption,
                      const std::string& text) override {
    boxes.push_back({icon, caption, text});
  }
  std::vector<RecordedBox> boxes;
};

// What reached the shell: "add 0 icon:clock tip:Horalux" (the message, the identifier, the
// image when the record carries NIF_ICON, the tip).
using ShellCall = std::string;

class RecordingToolkit;

class RecordingWindow : public TTrayWindow {
 public:
  RecordingWindow(RecordingToolkit& toolkit, TToolkit::TWindowProcedure procedure);
  ~RecordingWindow() override;

  bool SetTimer(std::uint32_t intervalMs) override;
  void KillTimer() override { timerInterval = 0; }
  bool NotifyIcon(TNotifyIconMessage message, const TNotifyIconData& data) override;
  void ShowBalloon(const TNotifyIconData& data, const std::string& title,
                   const std::string& text) override;
  int TrackPopupMenu(const TPopupMenu& menu, TPoint at) override;
  TPoint CursorPos() override { return cursor; }
  TShiftState KeysHeld() override { return keys; }
  bool TrayPresent() override;
  void ExportMenu(const TPopupMenu* menu) override;

  // The system's part.
  long Send(const TWindowMessage& message) { return procedure_(message); }
  void Tick() { Send({TWindowMessage::Timer}); }
  void Mouse(TTrayMouseMessage mouse) { Send({TWindowMessage::IconMessage, mouse}); }
  void Menu(TWindowMessage::Kind kind, int item = -1) { Send({kind, {}, item}); }

  std::uint32_t timerInterval = 0;  // 0: no timer runs
  bool refuseTimers = false;
  std::vector<ShellCall> shellCalls;
  std::vector<std::string> balloons;    // "title|text"
  std::vector<std::string> menusShown;  // each menu's captions, joined by "|"
  std::string exportedMenu;             // the same, of the menu last exported
  // Plays the user while a menu is open; answers the item chosen, -1 for none.
  std::function<int(const TPopupMenu& menu)> chooseInMenu = [](const TPopupMenu&) { return -1; };
  TPoint cursor{40, 20};
  TShiftState keys = 0;

 private:
  RecordingToolkit& toolkit_;
  TToolkit::TWindowProcedure procedure_;
};

class RecordingToolkit : public TToolkit {
 public:
  RecordingToolkit();
  ~RecordingToolkit() override;

  int RunLoop() override;
  void PostQuit() override { ++quitsPosted; }
  void ProcessMessages() override;
  // Runs the oldest posted work, if any.
  bool HandleMessageIfWaiting() override;
  // Work waits for RunPosted (or the loop); delayed work too, whatever its delay.
  void Post(std::function<void()> work) override { posted.push_back(std::move(work)); }
  void After(std::chrono::milliseconds, std::function<void()> work) override {
    posted.push_back(std::move(work));
  }
  void ShowMessageBox(TMessageIcon icon, const std::string& caption,
                      const std::string& text) override {
    boxes.push_back({icon, caption, text});
  }
  void SetWaitCursor(bool wait) override { waitCursor = wait; }

  bool MainFormVisible() override { return mainFormVisible; }
  void ShowMainForm() override { mainFormVisible = true; }
  void HideMainForm() override { mainFormVisible = false; }
  void MinimizeMainForm() override { mainFormMinimized = true; }

  std::unique_ptr<TComponentWindow> NewComponentWindow(TWindowProcedure procedure) override;
  std::unique_ptr<TTrayWindow> NewTrayWindow(TWindowProcedure procedure) override;

  std::unique_ptr<TActivationListener> ListenForActivation(
      const TInstanceNames& names, const NamedMutex& instanceMutex) override;
  void BringPrevInstanceToFront(const TInstanceNames& names) override;

  // Runs what was posted so far.
  void RunPosted();
  // The newest window made, and every window alive.
  RecordingWindow& LastWindow() const { return *windows.back(); }

  int quitsPosted = 0;
  int loopsRun = 0;
  int messagesProcessed = 0;
  std::deque<std::function<void()>> posted;
  std::vector<RecordedBox> boxes;
  bool waitCursor = false;
  bool mainFormVisible = false;
  bool mainFormMinimized = false;
  bool trayPresent = true;
  int broughtToFront = 0;  // requests from later instances that reached this one
  std::vector<RecordingWindow*> windows;
};

}  // namespace horalux::testing
