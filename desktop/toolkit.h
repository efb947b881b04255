// What only a toolkit can do for the desktop components: the message loop and the main
// thread's queue, message boxes, the main window, the hidden windows of components with
// their system timers, the notification area and its menu, and the way to a first
// instance's window. The components (application.h, custom_timer.h, tray_icon.h,
// one_instance.h) decide everything else, the same on every system; desktop/qt and
// desktop/win32 hold the two toolkits' adapters, and tests a recording one
// (toolkit_testing.h).
//
// Text is program text: bytes in the user's code page (platform/code_page.h); an adapter
// converts it for its toolkit without losing a byte.
//
// Thread-safety: main thread only, except TToolkit::Post.
//
// Work handed to the loop (Post, After) must throw nothing: no toolkit carries an
// exception through its loop. The application object guards all work it hands on, the
// drain of the main thread's queue included, the same on every system.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace horalux {

class NamedMutex;
class TPopupMenu;

enum class TMessageIcon { Warning, Error };

struct TPoint {
  int x = 0;
  int y = 0;
};

// Keys and buttons held during a mouse action; a combination of the flags.
using TShiftState = unsigned;
enum TShiftStateFlag : TShiftState {
  ssShift = 1U << 0,
  ssAlt = 1U << 1,
  ssCtrl = 1U << 2,
  ssLeft = 1U << 3,
  ssRight = 1U << 4,
  ssMiddle = 1U << 5,
};

// An image a toolkit can put into the notification area (a QIcon, an HICON). The
// components only hold and copy images; each adapter knows its own kind.
class TIcon {
 public:
  virtual ~TIcon() = default;
  virtual std::unique_ptr<TIcon> Clone() const = 0;
};

// The mouse messages of a notification-area icon, numbered as Windows numbers them.
enum class TTrayMouseMessage : unsigned {
  MouseMove = 512,
  LButtonDown = 513,
  LButtonUp = 514,
  LButtonDblClk = 515,
  RButtonDown = 516,
  RButtonUp = 517,
  MButtonDown = 519,
  MButtonUp = 520,
};

// What the system sends a component's hidden window.
struct TWindowMessage {
  enum Kind {
    Timer,              // the component's timer ticked
    IconMessage,        // a mouse message from its notification-area icon
    QueryEndSession,    // the session is ending; the answer 1 lets it
    TaskbarCreated,     // the taskbar was made anew (Explorer restarted)
    MainFormMinimized,  // the application's main window was minimised
    // A desktop that shows the icon's menu itself (TTrayWindow::ExportMenu): it opened
    // the menu, the user chose `item` in it, or it closed the menu.
    MenuOpened,
    MenuItemChosen,
    MenuClosed,
  };
  Kind kind = Timer;
  TTrayMouseMessage mouse = TTrayMouseMessage::MouseMove;  // of an IconMessage
  int item = -1;                                           // of a MenuItemChosen
};

// A component's hidden window: what the system sends it goes to the procedure it was
// made with, and it has one system timer.
class TComponentWindow {
 public:
  virtual ~TComponentWindow() = default;
  // Starts the timer with this interval, or starts it again; false when the system gives
  // no timer.
  virtual bool SetTimer(std::uint32_t intervalMs) = 0;
  virtual void KillTimer() = 0;
};

// The flags of the notification record, valued as Windows' NIF_MESSAGE, NIF_ICON, NIF_TIP,
// and the messages to the shell, as its NIM_ADD, NIM_MODIFY, NIM_DELETE.
enum TNotifyIconFlag : unsigned { nifMessage = 1, nifIcon = 2, nifTip = 4 };
enum class TNotifyIconMessage { Add = 0, Modify = 1, Delete = 2 };

// The notification record as the icon fills it; the window's handle and the callback
// message are the adapter's.
struct TNotifyIconData {
  int id = 0;
  unsigned flags = nifMessage | nifTip;
  const TIcon* icon = nullptr;  // null: no image
  std::string tip;              // program text, at most 63 characters
  std::string title;            // the application's title, for desktops that show it
};

// The hidden window of a notification-area icon: it also carries the icon, its balloon
// and its menu, and watches the application's main window for minimising.
class TTrayWindow : public TComponentWindow {
 public:
  // The shell's answer: false when it refused.
  virtual bool NotifyIcon(TNotifyIconMessage message, const TNotifyIconData& data) = 0;
  // The desktop's notification from the icon, with a warning sign.
  virtual void ShowBalloon(const TNotifyIconData& data, const std::string& title,
                           const std::string& text) = 0;
  // Shows the menu at `at`, in front of everything, and returns once it closed: the index
  // of the item chosen, or -1.
  virtual int TrackPopupMenu(const TPopupMenu& menu, TPoint at) = 0;
  virtual TPoint CursorPos() = 0;
  // Shift, Alt and Ctrl as pressed now.
  virtual TShiftState KeysHeld() = 0;
  // Whether the desktop has a notification area now; without one the icon is in nobody's
  // reach.
  virtual bool TrayPresent() = 0;
  // Hands the menu (null: none) to a desktop that shows the icon's menu itself, and that
  // then reports what happens in it (TWindowMessage::MenuOpened ...); nothing elsewhere.
  // The menu is read now: call again after changing its items.
  virtual void ExportMenu(const TPopupMenu* menu) = 0;
};

// The names by which a first instance is found, all built from the application title.
struct TInstanceNames {
  std::string title;
  std::string instanceMutex;  // the lock the first instance holds
  std::string activation;     // its channel for the request to come forward
};

// A first instance's ear for a later one's request to come forward; it stops listening
// when destroyed.
class TActivationListener {
 public:
  virtual ~TActivationListener() = default;
};

class TToolkit {
 public:
  using TWindowProcedure = std::function<long(const TWindowMessage& message)>;

  virtual ~TToolkit() = default;

  // The message loop: runs until a quit request (also one made before), returns its code.
  virtual int RunLoop() = 0;
  // Asks the loop to end at its next turn; a request made before the loop runs ends it at
  // once.
  virtual void PostQuit() = 0;
  // Handles the messages waiting now, without waiting for more.
  virtual void ProcessMessages() = 0;
  // Handles one waiting message, if there is one, without waiting; returns whether there
  // was. A toolkit that cannot hand out exactly one handles one batch.
  virtual bool HandleMessageIfWaiting() = 0;
  // Any thread: runs `work` once on the main thread from the loop (or a ProcessMessages),
  // in the order posted.
  virtual void Post(std::function<void()> work) = 0;
  // Main thread: runs `work` once on the main thread from the loop, `delay` or later from
  // now. Never throws: where the system has no timer to give, the work runs at the loop's
  // next turn instead: early rather than never, as its caller's next step depends on it.
  virtual void After(std::chrono::milliseconds delay, std::function<void()> work) = 0;

  virtual void ShowMessageBox(TMessageIcon icon, const std::string& caption,
                              const std::string& text) = 0;
  virtual void SetWaitCursor(bool wait) = 0;

  // The application's main window, once the program has given it one; without one, it is
  // not visible and the calls that show, hide or minimise it do nothing.
  virtual bool MainFormVisible() = 0;
  // Visible (restored when it was minimised), hidden, or minimised onto the taskbar.
  virtual void ShowMainForm() = 0;
  virtual void HideMainForm() = 0;
  virtual void MinimizeMainForm() = 0;

  virtual std::unique_ptr<TComponentWindow> NewComponentWindow(TWindowProcedure procedure) = 0;
  virtual std::unique_ptr<TTrayWindow> NewTrayWindow(TWindowProcedure procedure) = 0;

  // The first instance listens while it holds `instanceMutex`: a later instance's request
  // shows its main window and brings it to the front.
  virtual std::unique_ptr<TActivationListener> ListenForActivation(
      const TInstanceNames& names, const NamedMutex& instanceMutex) = 0;
  // A later instance: brings the first one's main window forward (restored when
  // minimised); nothing when none answers.
  virtual void BringPrevInstanceToFront(const TInstanceNames& names) = 0;
};

}  // namespace horalux
