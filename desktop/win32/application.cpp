#include "desktop/win32/application.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "app/error_box_text.h"

namespace horalux {
namespace {

constexpr const char* kHiddenWindowClass = "Horalux.TApplication";
constexpr UINT kPostedWork = WM_APP + 1;

void RegisterHiddenClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kHiddenWindowClass;
  // A second application object in one process (tests make one after another) finds the
  // class registered already.
  ::RegisterClassA(&windowClass);
}

}  // namespace

TApplication::TApplication() : instance_(::GetModuleHandleA(nullptr)) {
  RegisterHiddenClass(instance_, &HiddenWindowProc);
  hidden_ = ::CreateWindowExA(0, kHiddenWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance_, nullptr);
  if (hidden_ == nullptr) throw std::runtime_error("the application's window cannot be made");
  ::SetWindowLongPtrA(hidden_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TApplication::~TApplication() {
  for (const auto& timer : timers_) ::KillTimer(hidden_, timer.first);
  ::SetWindowLongPtrA(hidden_, GWLP_USERDATA, 0);
  ::DestroyWindow(hidden_);
}

LRESULT CALLBACK TApplication::HiddenWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* application = reinterpret_cast<TApplication*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (application != nullptr) {
    if (message == kPostedWork) {
      application->RunPosted();
      return 0;
    }
    if (message == WM_TIMER) {
      application->RunTimer(static_cast<UINT_PTR>(w));
      return 0;
    }
  }
  return ::DefWindowProcA(window, message, w, l);
}

void TApplication::Terminate() {
  if (OnTerminate) Guard(OnTerminate);
  terminated_ = true;
  ::PostQuitMessage(0);
}

int TApplication::Run() {
  if (showMainForm_ && mainForm_ != nullptr) ::ShowWindow(mainForm_, SW_SHOW);
  while (!terminated_) {
    MSG message;
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    Dispatch(message);
  }
  terminated_ = true;
  return 0;
}

// A quit message taken here ends the loop at its next turn, as it would have there.
void TApplication::ProcessMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      terminated_ = true;
      return;
    }
    Dispatch(message);
  }
}

bool TApplication::HandleMessageIfWaiting() {
  MSG message;
  if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  if (message.message == WM_QUIT) {
    terminated_ = true;
  } else {
    Dispatch(message);
  }
  return true;
}

void TApplication::Dispatch(MSG& message) {
  // Tab, Enter (the default button), Alt+mnemonic: the main window behaves as a dialog.
  if (mainForm_ != nullptr && ::IsDialogMessageA(mainForm_, &message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
}

void TApplication::ShowException(const std::exception& error) {
  ShowMessageBox(TMessageIcon::Error, title_, ErrorBoxText(error.what()));
}

bool TApplication::Guard(const std::function<void()>& body) noexcept {
  try {
    body();
    return true;
  } catch (const std::exception& error) {
    try {
      ShowException(error);
    } catch (...) {  // a box that cannot be shown leaves nothing else to tell
    }
  } catch (...) {  // nothing may unwind through the system's window procedures
  }
  return false;
}

void TApplication::ShowMessageBox(TMessageIcon icon, const std::string& caption,
                                  const std::string& text) {
  if (presenter_) {
    presenter_(icon, caption, text);
    return;
  }
  // A hidden main window would be disabled under the box without being seen: then the box
  // stands on its own, modal for the whole program.
  const HWND owner = mainForm_ != nullptr && ::IsWindowVisible(mainForm_) ? mainForm_ : nullptr;
  ::MessageBoxA(owner, text.c_str(), caption.c_str(),
                MB_OK | static_cast<UINT>(icon) | (owner == nullptr ? MB_TASKMODAL : 0U));
}

void TApplication::Post(std::function<void()> work) {
  bool wake = false;
  {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    wake = posted_.empty();
    posted_.push_back(std::move(work));
  }
  // One message for a batch: the main thread takes everything queued when it comes.
  if (wake) ::PostMessageA(hidden_, kPostedWork, 0, 0);
}

void TApplication::RunPosted() {
  std::deque<std::function<void()>> batch;
  {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    batch.swap(posted_);
  }
  for (const auto& work : batch) Guard(work);
}

void TApplication::After(std::chrono::milliseconds delay, std::function<void()> work) {
  const UINT_PTR id = nextTimer_++;
  const auto milliseconds = static_cast<UINT>(std::max<std::int64_t>(delay.count(), 0));
  if (::SetTimer(hidden_, id, std::max<UINT>(milliseconds, USER_TIMER_MINIMUM), nullptr) == 0) {
    throw std::runtime_error("no timer available");
  }
  timers_.emplace(id, std::move(work));
}

void TApplication::RunTimer(UINT_PTR id) {
  ::KillTimer(hidden_, id);
  const auto found = timers_.find(id);
  if (found == timers_.end()) return;
  const std::function<void()> work = std::move(found->second);
  timers_.erase(found);
  Guard(work);
}

void TApplication::SetWaitCursor(bool wait) {
  waitCursor_ = wait;
  ::SetCursor(::LoadCursorA(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

}  // namespace horalux
