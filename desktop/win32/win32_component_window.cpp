#include "desktop/win32/win32_component_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "desktop/popup_menu.h"
#include "desktop/win32/win32_icon.h"
#include "desktop/win32/win32_toolkit.h"

namespace horalux {
namespace {

constexpr const char* kWindowClass = "Horalux.TabfCustomTimer";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT_PTR kMainFormHookId = 1;

// Copies program text into a fixed field of the record, cut to fit with its NUL.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text, std::size_t most = N - 1) {
  const std::size_t length = std::min({text.size(), most, N - 1});
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, N - length);
}

struct MenuDeleter {
  void operator()(HMENU menu) const noexcept { ::DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

// A menu of the system's own for the component's items; the command of item i is i + 1.
UniqueMenu SystemMenu(const TPopupMenu& menu) {
  UniqueMenu shown(::CreatePopupMenu());
  if (shown == nullptr) throw std::runtime_error("no menu available");
  const auto& items = menu.Items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto command = static_cast<UINT_PTR>(i + 1);
    if (items[i].IsLine()) {
      ::AppendMenuA(shown.get(), MF_SEPARATOR, command, nullptr);
    } else {
      ::AppendMenuA(shown.get(), MF_STRING, command, items[i].Caption.c_str());
    }
    if (items[i].Default) ::SetMenuDefaultItem(shown.get(), static_cast<UINT>(command), FALSE);
  }
  return shown;
}

}  // namespace

TWin32HiddenWindow::TWin32HiddenWindow(TWin32Toolkit& toolkit, TToolkit::TWindowProcedure procedure)
    : toolkit_(toolkit), procedure_(std::move(procedure)) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = toolkit.Instance();
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassA(&windowClass);  // fails harmlessly when another window registered it
  window_ = ::CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              toolkit.Instance(), nullptr);
  if (window_ == nullptr) throw std::runtime_error("the component's window cannot be made");
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32HiddenWindow::~TWin32HiddenWindow() {
  StopTimer();
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  ::DestroyWindow(window_);
}

bool TWin32HiddenWindow::StartTimer(std::uint32_t intervalMs) {
  StopTimer();
  return ::SetTimer(window_, kTimerId, intervalMs, nullptr) != 0;
}

// Killing a timer that is not running is harmless.
void TWin32HiddenWindow::StopTimer() { ::KillTimer(window_, kTimerId); }

LRESULT CALLBACK TWin32HiddenWindow::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<TWin32HiddenWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(window, message, w, l);
  return self->HandleMessage(message, w, l);
}

LRESULT TWin32HiddenWindow::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  if (message == WM_TIMER && w == kTimerId) return Tell({TWindowMessage::Timer});
  return ::DefWindowProcA(window_, message, w, l);
}

TWin32TrayWindow::TWin32TrayWindow(TWin32Toolkit& toolkit, TToolkit::TWindowProcedure procedure)
    : TWin32HiddenWindow(toolkit, std::move(procedure)), hookedForm_(toolkit.MainForm()) {
  if (hookedForm_ != nullptr) {
    ::SetWindowSubclass(hookedForm_, &MainFormHook, kMainFormHookId,
                        reinterpret_cast<DWORD_PTR>(this));
  }
}

TWin32TrayWindow::~TWin32TrayWindow() {
  if (hookedForm_ != nullptr) ::RemoveWindowSubclass(hookedForm_, &MainFormHook, kMainFormHookId);
}

bool TWin32TrayWindow::NotifyIcon(TNotifyIconMessage message, const TNotifyIconData& data) {
  NOTIFYICONDATAA record{};
  record.cbSize = kRecordSize;
  record.hWnd = Handle();
  record.uID = static_cast<UINT>(data.id);
  record.uFlags = data.flags;  // valued as NIF_MESSAGE, NIF_ICON and NIF_TIP
  record.uCallbackMessage = IconMessage;
  record.hIcon = TWin32Icon::Of(data.icon);
  // The first form of the record has room for 63 characters and the NUL.
  CopyField(record.szTip, data.tip, 63);
  return Toolkit().ShellNotify(static_cast<DWORD>(message), record) != FALSE;
}

void TWin32TrayWindow::ShowBalloon(const TNotifyIconData& data, const std::string& title,
                                   const std::string& text) {
  NOTIFYICONDATAA balloon{};
  balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
  balloon.hWnd = Handle();
  balloon.uID = static_cast<UINT>(data.id);
  balloon.uFlags = NIF_INFO;
  CopyField(balloon.szInfoTitle, title);
  CopyField(balloon.szInfo, text);
  balloon.dwInfoFlags = NIIF_WARNING;
  Toolkit().ShellNotify(NIM_MODIFY, balloon);
}

// The menu's owner must be the foreground window, or a click elsewhere would not close
// it; the message posted afterwards lets the menu's loop see that it ended.
int TWin32TrayWindow::TrackPopupMenu(const TPopupMenu& menu, TPoint at) {
  const UniqueMenu shown = SystemMenu(menu);
  ::SetForegroundWindow(Handle());
  const auto command =
      static_cast<int>(::TrackPopupMenu(shown.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                        at.x, at.y, 0, Handle(), nullptr));
  ::PostMessageA(Handle(), WM_NULL, 0, 0);
  return command - 1;
}

TPoint TWin32TrayWindow::CursorPos() {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  return {cursor.x, cursor.y};
}

TShiftState TWin32TrayWindow::KeysHeld() {
  TShiftState shift = 0;
  if (::GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (::GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  if (::GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  return shift;
}

LRESULT TWin32TrayWindow::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  if (message == IconMessage) {
    return Tell({TWindowMessage::IconMessage, static_cast<TTrayMouseMessage>(LOWORD(l))});
  }
  if (message == WM_QUERYENDSESSION) return Tell({TWindowMessage::QueryEndSession});
  if (message == TWin32Toolkit::TaskbarCreatedMessage()) Tell({TWindowMessage::TaskbarCreated});
  return TWin32HiddenWindow::HandleMessage(message, w, l);
}

LRESULT CALLBACK TWin32TrayWindow::MainFormHook(HWND window, UINT message, WPARAM w, LPARAM l,
                                                UINT_PTR, DWORD_PTR self) {
  if (message == WM_SIZE && w == SIZE_MINIMIZED) {
    reinterpret_cast<TWin32TrayWindow*>(self)->Tell({TWindowMessage::MainFormMinimized});
  }
  return ::DefSubclassProc(window, message, w, l);
}

}  // namespace horalux
