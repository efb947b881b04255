// What TForm1 needs of its window, its notification-area icon and the desktop: a small
// view that a toolkit implements (the Qt window on Linux, the Win32 window on Windows) and
// tests record. The view decides nothing: it shows what it is told and passes its events to
// the controller (Bind).
//
// Text is program text: bytes in the user's code page (platform/code_page.h), as the store
// and the host list hold them; a view converts it for its toolkit without losing a byte.
//
// Thread-safety: main thread only, except Post.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace horalux {

class TForm1;

enum class TCheckBox { ckStartup, ckServer };
enum class TStatusPanel { Run = 0, DateTime = 1 };
enum class TMessageKind { Warning, Error };
// The notification-area icon's images, by their index in its image list. tiNormal: a red
// alarm clock with a white face (the last run succeeded, or none ran yet); tiFailed: the
// same clock covered by a yellow warning triangle (the last run failed, or the clock could
// not be set).
enum TTrayImage { tiNormal = 0, tiFailed = 1 };

class TForm1View {
 public:
  virtual ~TForm1View() = default;

  // Window creation: connects the controls', timers' and components' events to the
  // controller's handlers and starts the timers. Called once, before Loaded.
  virtual void Bind(TForm1& form) = 0;
  // The controller goes: from now on no event reaches it, and work it posted is dropped.
  virtual void Unbind() = 0;
  // The after-loading steps of the view's components: the icon keeps the loop from
  // showing the window; the single-instance guard may ask this instance to quit.
  virtual void Loaded() = 0;

  // The window: visible and in front (at the centre of the desktop the first time), or
  // hidden. Neither touches the icon.
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;

  // The controls.
  virtual void AddHostItem(const std::string& host) = 0;
  virtual std::string HostText() = 0;
  virtual void SetHostText(const std::string& text) = 0;
  // The up-down control's position, once it has taken over the edit's text when that is a
  // number within its range.
  virtual int IntervalPosition() = 0;
  virtual void SetIntervalPosition(int position) = 0;
  virtual bool Checked(TCheckBox box) = 0;
  // Sets the box without raising its click: the controller runs the handler itself.
  virtual void SetChecked(TCheckBox box, bool checked) = 0;
  virtual void SetStatusText(TStatusPanel panel, const std::string& text) = 0;
  // The log's view: `removedFromStart` lines go, then `appended` come at the end.
  virtual void ChangeLog(std::size_t removedFromStart,
                         const std::vector<std::string>& appended) = 0;
  // The wait cursor over the whole application while a run waits.
  virtual void SetWaitCursor(bool wait) = 0;

  // The notification-area icon: the image from its list (TTrayImage), the hint (cut to 63
  // characters), and the desktop's standard message from it.
  virtual void SetTrayImage(int index) = 0;
  virtual void SetTrayHint(const std::string& hint) = 0;
  virtual void ShowTrayNotification(const std::string& title, const std::string& text) = 0;

  // The application: a modal message box, the quit request (the loop ends at its next
  // turn), the desktop's default action for a web address.
  virtual void ShowMessage(TMessageKind kind, const std::string& caption,
                           const std::string& text) = 0;
  virtual void Terminate() = 0;
  virtual void OpenUrl(const std::string& address) = 0;

  // Any thread: runs `work` on the main thread from its event loop, without waiting for it.
  virtual void Post(std::function<void()> work) = 0;
  // Main thread: runs `work` on the main thread once `delay` has passed.
  virtual void After(std::chrono::milliseconds delay, std::function<void()> work) = 0;
};

}  // namespace horalux
