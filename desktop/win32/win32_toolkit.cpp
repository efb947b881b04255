#include "desktop/win32/win32_toolkit.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "desktop/win32/win32_component_window.h"

namespace horalux {
namespace {

constexpr const char* kHiddenWindowClass = "Horalux.TApplication";
constexpr UINT kPostedWork = WM_APP + 1;
constexpr UINT_PTR kActivationHookId = 2;

UINT ActivateMessage(const TInstanceNames& names) {
  return ::RegisterWindowMessageA(names.activation.c_str());
}

// The first instance watches its main window for the registered request to come forward:
// only it knows how its hidden window comes back, and a hidden window cannot be raised
// from outside.
class TWin32ActivationListener : public TActivationListener {
 public:
  TWin32ActivationListener(HWND form, UINT message) : form_(form), message_(message) {
    if (form_ != nullptr) {
      ::SetWindowSubclass(form_, &Hook, kActivationHookId, reinterpret_cast<DWORD_PTR>(this));
    }
  }
  ~TWin32ActivationListener() override {
    if (form_ != nullptr) ::RemoveWindowSubclass(form_, &Hook, kActivationHookId);
  }

 private:
  static LRESULT CALLBACK Hook(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                               DWORD_PTR self) {
    if (message == reinterpret_cast<const TWin32ActivationListener*>(self)->message_) {
      BringWindowToFront(window);
      return 0;
    }
    return ::DefSubclassProc(window, message, w, l);
  }

  HWND form_;
  UINT message_;
};

}  // namespace

TWin32Toolkit::TWin32Toolkit()
    : ShellNotify(
          [](DWORD message, NOTIFYICONDATAA& data) { return ::Shell_NotifyIconA(message, &data); }),
      instance_(::GetModuleHandleA(nullptr)) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &HiddenWindowProc;
  windowClass.hInstance = instance_;
  windowClass.lpszClassName = kHiddenWindowClass;
  // A second toolkit in one process (tests make one after another) finds the class
  // registered already.
  ::RegisterClassA(&windowClass);
  hidden_ = ::CreateWindowExA(0, kHiddenWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance_, nullptr);
  if (hidden_ == nullptr) throw std::runtime_error("the application's window cannot be made");
  ::SetWindowLongPtrA(hidden_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32Toolkit::~TWin32Toolkit() {
  for (const auto& timer : timers_) ::KillTimer(hidden_, timer.first);
  ::SetWindowLongPtrA(hidden_, GWLP_USERDATA, 0);
  ::DestroyWindow(hidden_);
}

UINT TWin32Toolkit::TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}

LRESULT CALLBACK TWin32Toolkit::HiddenWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* toolkit = reinterpret_cast<TWin32Toolkit*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (toolkit != nullptr) {
    if (message == kPostedWork) {
      toolkit->RunPosted();
      return 0;
    }
    if (message == WM_TIMER) {
      toolkit->RunTimer(static_cast<UINT_PTR>(w));
      return 0;
    }
  }
  return ::DefWindowProcA(window, message, w, l);
}

int TWin32Toolkit::RunLoop() {
  while (!quitting_) {
    MSG message;
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    Dispatch(message);
  }
  quitting_ = true;
  return 0;
}

void TWin32Toolkit::PostQuit() {
  quitting_ = true;
  ::PostQuitMessage(0);
}

void TWin32Toolkit::ProcessMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && Dispatch(message)) {
  }
}

bool TWin32Toolkit::HandleMessageIfWaiting() {
  MSG message;
  if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  Dispatch(message);
  return true;
}

// A quit message taken outside the loop ends it at its next turn, as it would have there.
bool TWin32Toolkit::Dispatch(MSG& message) {
  if (message.message == WM_QUIT) {
    quitting_ = true;
    return false;
  }
  // Tab, Enter (the default button), Alt+mnemonic: the main window behaves as a dialog.
  if (mainForm_ != nullptr && ::IsDialogMessageA(mainForm_, &message)) return true;
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
  return true;
}

void TWin32Toolkit::Post(std::function<void()> work) {
  bool wake = false;
  {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    wake = !wakePosted_;
    wakePosted_ = true;
    posted_.push_back(std::move(work));
  }
  // One message for a batch: the main thread takes everything queued when it comes.
  if (!wake || ::PostMessageA(hidden_, kPostedWork, 0, 0)) return;
  // A full message queue: the next Post tries again, rather than the batch waiting for good.
  const std::lock_guard<std::mutex> lock(postedMutex_);
  wakePosted_ = false;
}

void TWin32Toolkit::RunPosted() {
  std::deque<std::function<void()>> batch;
  {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    batch.swap(posted_);
    wakePosted_ = false;
  }
  for (const auto& work : batch) work();
}

void TWin32Toolkit::After(std::chrono::milliseconds delay, std::function<void()> work) {
  const UINT_PTR id = nextTimer_++;
  const auto milliseconds = static_cast<UINT>(std::max<std::int64_t>(delay.count(), 0));
  if (::SetTimer(hidden_, id, std::max<UINT>(milliseconds, USER_TIMER_MINIMUM), nullptr) == 0) {
    Post(std::move(work));
    return;
  }
  timers_.emplace(id, std::move(work));
}

void TWin32Toolkit::RunTimer(UINT_PTR id) {
  ::KillTimer(hidden_, id);
  const auto found = timers_.find(id);
  if (found == timers_.end()) return;
  const std::function<void()> work = std::move(found->second);
  timers_.erase(found);
  work();
}

void TWin32Toolkit::ShowMessageBox(TMessageIcon icon, const std::string& caption,
                                   const std::string& text) {
  // A hidden main window would be disabled under the box without being seen: then the box
  // stands on its own, modal for the whole program.
  const HWND owner = mainForm_ != nullptr && ::IsWindowVisible(mainForm_) ? mainForm_ : nullptr;
  const UINT kind = icon == TMessageIcon::Warning ? MB_ICONWARNING : MB_ICONERROR;
  ::MessageBoxA(owner, text.c_str(), caption.c_str(),
                MB_OK | kind | (owner == nullptr ? MB_TASKMODAL : 0U));
}

void TWin32Toolkit::SetWaitCursor(bool wait) {
  waitCursor_ = wait;
  ::SetCursor(::LoadCursorA(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

void TWin32Toolkit::ShowMainForm() {
  if (mainForm_ != nullptr) ::ShowWindow(mainForm_, ::IsIconic(mainForm_) ? SW_RESTORE : SW_SHOW);
}

void TWin32Toolkit::HideMainForm() {
  if (mainForm_ != nullptr) ::ShowWindow(mainForm_, SW_HIDE);
}

void TWin32Toolkit::MinimizeMainForm() {
  if (mainForm_ != nullptr) ::ShowWindow(mainForm_, SW_MINIMIZE);
}

std::unique_ptr<TComponentWindow> TWin32Toolkit::NewComponentWindow(TWindowProcedure procedure) {
  return std::make_unique<TWin32ComponentWindow>(*this, std::move(procedure));
}

std::unique_ptr<TTrayWindow> TWin32Toolkit::NewTrayWindow(TWindowProcedure procedure) {
  return std::make_unique<TWin32TrayWindow>(*this, std::move(procedure));
}

std::unique_ptr<TActivationListener> TWin32Toolkit::ListenForActivation(const TInstanceNames& names,
                                                                        const NamedMutex&) {
  return std::make_unique<TWin32ActivationListener>(mainForm_, ActivateMessage(names));
}

// The first instance's main window: a top-level window of this one's class with the
// title as its text. The starting instance may pass the foreground on; the first one
// takes it when the request comes.
void TWin32Toolkit::BringPrevInstanceToFront(const TInstanceNames& names) {
  if (mainForm_ == nullptr) return;
  char className[256] = {};
  if (::GetClassNameA(mainForm_, className, sizeof className) == 0) return;
  HWND candidate = nullptr;
  while ((candidate = ::FindWindowExA(nullptr, candidate, className, names.title.c_str())) !=
         nullptr) {
    if (candidate == mainForm_) continue;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(candidate, &processId);
    ::AllowSetForegroundWindow(processId);
    ::PostMessageA(candidate, ActivateMessage(names), 0, 0);
    return;
  }
}

void BringWindowToFront(HWND window) {
  ::ShowWindow(window, ::IsIconic(window) ? SW_RESTORE : SW_SHOW);
  ::SetForegroundWindow(window);
}

}  // namespace horalux
