#include "desktop/win32/custom_timer.h"

#include <stdexcept>

#include "platform/code_page.h"

namespace horalux {
namespace {

constexpr const char* kWindowClass = "Horalux.TabfCustomTimer";
constexpr UINT_PTR kTimerId = 1;

}  // namespace

TabfCustomTimer::TabfCustomTimer(TComponent* owner, TApplication& application)
    : TabfComponent(owner), application_(application) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = application.Instance();
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassA(&windowClass);  // fails harmlessly when another component registered it
  // Top-level, never shown: the shell's broadcasts (TaskbarCreated) reach such windows, and
  // not message-only ones.
  window_ = ::CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              application.Instance(), nullptr);
  if (window_ == nullptr) throw std::runtime_error("the component's window cannot be made");
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TabfCustomTimer::~TabfCustomTimer() {
  if (running_) ::KillTimer(window_, kTimerId);
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  ::DestroyWindow(window_);
}

LRESULT CALLBACK TabfCustomTimer::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* timer = reinterpret_cast<TabfCustomTimer*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (timer == nullptr) return ::DefWindowProcA(window, message, w, l);
  LRESULT result = 0;
  if (!timer->application_.Guard([&] { result = timer->HandleWindowMessage(message, w, l); })) {
    return 0;
  }
  return result;
}

LRESULT TabfCustomTimer::HandleWindowMessage(UINT message, WPARAM w, LPARAM l) {
  if (message == WM_TIMER && w == kTimerId) {
    application_.Guard([this] { TickStep(); });
    return 0;
  }
  return ::DefWindowProcA(window_, message, w, l);
}

void TabfCustomTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  UpdateTimer();
}

void TabfCustomTimer::SetInterval(std::uint32_t interval) {
  interval_ = interval;
  UpdateTimer();
}

void TabfCustomTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TabfCustomTimer::TickStep() { Fire(onTimer_, *this); }

void TabfCustomTimer::UpdateTimer() {
  if (running_) ::KillTimer(window_, kTimerId);
  running_ = false;
  if (interval_ == 0 || !enabled_ || !onTimer_) return;
  if (::SetTimer(window_, kTimerId, interval_, nullptr) == 0) {
    throw EOutOfResources(EncodeCodePage(u"Nicht gen\u00fcgend Timer verf\u00fcgbar"));
  }
  running_ = true;
}

}  // namespace horalux
