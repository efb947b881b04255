#include "desktop/win32/tray_icon.h"

#include <algorithm>
#include <cstring>

namespace horalux {
namespace {

constexpr UINT_PTR kMainFormHookId = 1;

// Copies program text into a fixed field of the record, cut to fit with its NUL.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text, std::size_t most = N - 1) {
  const std::size_t length = std::min({text.size(), most, N - 1});
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, N - length);
}

TShiftState KeysHeld() {
  TShiftState shift = 0;
  if (::GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (::GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  if (::GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  return shift;
}

}  // namespace

TabfTrayIcon::TabfTrayIcon(TComponent* owner, TApplication& application)
    : TabfCustomTimer(owner, application), ShellNotify([](DWORD message, NOTIFYICONDATAA& data) {
        return ::Shell_NotifyIconA(message, &data);
      }) {
  // The base's tick handler may run: it is the cycle step, off until CycleIcons is set.
  SetCycleIcons(false);
  SetOnTimer([](TComponent&) {});
  SetCycleInterval(200);
  hookedForm_ = application.MainForm();
  if (hookedForm_ != nullptr) {
    ::SetWindowSubclass(hookedForm_, &MainFormHook, kMainFormHookId,
                        reinterpret_cast<DWORD_PTR>(this));
  }
}

TabfTrayIcon::~TabfTrayIcon() {
  if (visible_) RemoveIcon(false);
  if (hookedForm_ != nullptr) ::RemoveWindowSubclass(hookedForm_, &MainFormHook, kMainFormHookId);
}

UINT TabfTrayIcon::TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}

void TabfTrayIcon::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint.substr(0, kHintLength);
  ModifyIcon();
}

void TabfTrayIcon::SetShowHint(bool show) {
  if (show == showHint_) return;
  showHint_ = show;
  ModifyIcon();
}

void TabfTrayIcon::SetImageList(TImageList* list) {
  if (list == imageList_) return;
  imageList_ = list;
  RefreshIcon();
}

void TabfTrayIcon::SetImageIndex(int index) {
  imageIndex_ = index;
  RefreshIcon();
}

void TabfTrayIcon::SetIconID(int id) {
  if (id == iconId_) return;
  const bool wasVisible = visible_;
  if (wasVisible) RemoveIcon(false);
  iconId_ = id;
  if (wasVisible) ShowIcon();
}

void TabfTrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (visible) {
    ShowIcon();
  } else {
    HideIcon();
  }
}

void TabfTrayIcon::Loaded() {
  if (minimizeOnStart_) {
    Application().SetShowMainForm(false);
    GoToTray();
  }
  // Added already while loading, as a rule: the shell then refuses the second add.
  if (visible_) ShowIcon();
}

void TabfTrayIcon::RefreshIcon() {
  if (imageList_ == nullptr) return;
  icon_ = imageList_->NewIcon(imageIndex_);
  ModifyIcon();
}

void TabfTrayIcon::FillIconData() {
  data_ = NOTIFYICONDATAA{};
  data_.cbSize = kRecordSize;
  data_.hWnd = Handle();
  data_.uID = static_cast<UINT>(iconId_);
  data_.uFlags = flags_;
  data_.uCallbackMessage = IconMessage;
  data_.hIcon = icon_.get();
  // The first form of the record has room for 63 characters and the NUL.
  CopyField(data_.szTip, showHint_ ? hint_ : std::string(), kHintLength);
}

void TabfTrayIcon::Notify(DWORD message) {
  FillIconData();
  ShellNotify(message, data_);
}

void TabfTrayIcon::ModifyIcon() { Notify(NIM_MODIFY); }

void TabfTrayIcon::ShowIcon() {
  flags_ |= NIF_ICON;
  Notify(NIM_ADD);
  visible_ = true;
  Fire(OnShow, *this);
}

void TabfTrayIcon::HideIcon() { RemoveIcon(true); }

// Taking the icon away gives the user the window back, unless this component is being
// destroyed or only puts its icon back into a taskbar made anew.
void TabfTrayIcon::RemoveIcon(bool restoreWindows) {
  flags_ &= ~static_cast<DWORD>(NIF_ICON);
  Notify(NIM_DELETE);
  visible_ = false;
  if (!restoreWindows) return;
  Fire(OnHide, *this);
  if (minimizeToTray_) RestoreApplication();
}

void TabfTrayIcon::ShowNotification(const std::string& title, const std::string& text) {
  NOTIFYICONDATAA balloon{};
  balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
  balloon.hWnd = Handle();
  balloon.uID = static_cast<UINT>(iconId_);
  balloon.uFlags = NIF_INFO;
  CopyField(balloon.szInfoTitle, title);
  CopyField(balloon.szInfo, text);
  balloon.dwInfoFlags = NIIF_WARNING;
  ShellNotify(NIM_MODIFY, balloon);
}

LRESULT TabfTrayIcon::HandleWindowMessage(UINT message, WPARAM w, LPARAM l) {
  if (message == IconMessage) {
    if (enabled_) HandleMouseMessage(static_cast<UINT>(LOWORD(l)));
    return 0;
  }
  if (message == WM_QUERYENDSESSION) return 1;
  if (message == TaskbarCreatedMessage() && visible_) {
    // The new taskbar knows no icon: add it again, with its image and hint as they are.
    RemoveIcon(false);
    ShowIcon();
  }
  return TabfCustomTimer::HandleWindowMessage(message, w, l);
}

void TabfTrayIcon::HandleMouseMessage(UINT mouseMessage) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  const TShiftState shift = KeysHeld();
  switch (mouseMessage) {
    case WM_LBUTTONDOWN:
      FireMouseDown(mbLeft, shift | ssLeft, cursor.x, cursor.y);
      clicked_ = true;
      break;
    case WM_LBUTTONUP:
      FireMouseUp(mbLeft, shift | ssLeft, cursor.x, cursor.y);
      if (clicked_) FireClick();
      if (popupByLeft_) PopupAtCursor();
      clicked_ = false;
      break;
    case WM_LBUTTONDBLCLK:
      FireDblClick();
      break;
    case WM_RBUTTONDOWN:
      FireMouseDown(mbRight, shift | ssRight, cursor.x, cursor.y);
      break;
    case WM_RBUTTONUP:
      FireMouseUp(mbRight, shift | ssRight, cursor.x, cursor.y);
      PopupAtCursor();
      break;
    case WM_MBUTTONDOWN:
      FireMouseDown(mbMiddle, shift | ssMiddle, cursor.x, cursor.y);
      break;
    case WM_MBUTTONUP:
      FireMouseUp(mbMiddle, shift | ssMiddle, cursor.x, cursor.y);
      break;
    default:
      break;
  }
}

void TabfTrayIcon::FireMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  Fire(OnMouseDown, *this, button, shift, x, y);
}

void TabfTrayIcon::FireMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  Fire(OnMouseUp, *this, button, shift, x, y);
}

void TabfTrayIcon::FireClick() { Fire(OnClick, *this); }

void TabfTrayIcon::FireDblClick() { Fire(OnDblClick, *this); }

// The menu's owner must be the foreground window, or a click elsewhere would not close it;
// the message posted afterwards lets the menu's loop see that it ended.
void TabfTrayIcon::PopupAtCursor() {
  if (popupMenu_ == nullptr || !popupMenu_->AutoPopup) return;
  POINT cursor{};
  ::GetCursorPos(&cursor);
  Application().ProcessMessages();
  ::SetForegroundWindow(Handle());
  popupMenu_->Popup(cursor.x, cursor.y, Handle());
  ::PostMessageA(Handle(), WM_NULL, 0, 0);
  Fire(OnPopupMenu, *this);
}

void TabfTrayIcon::TickStep() {
  if (imageList_ != nullptr) {
    SetImageIndex(imageIndex_ < imageList_->Count() - 1 ? imageIndex_ + 1 : 0);
  }
  Fire(OnCycleIcons, *this);
}

void TabfTrayIcon::GoToTray() {
  MinimizeApplication();
  SetVisible(true);
  Fire(OnMinimize, *this);
}

void TabfTrayIcon::MinimizeApplication() {
  const HWND form = Application().MainForm();
  if (form != nullptr && ::IsWindowVisible(form)) ::ShowWindow(form, SW_HIDE);
}

void TabfTrayIcon::RestoreApplication() {
  const HWND form = Application().MainForm();
  if (form != nullptr) ::ShowWindow(form, ::IsIconic(form) ? SW_RESTORE : SW_SHOW);
}

LRESULT CALLBACK TabfTrayIcon::MainFormHook(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                            DWORD_PTR self) {
  auto& icon = *reinterpret_cast<TabfTrayIcon*>(self);
  if (message == WM_SIZE && w == SIZE_MINIMIZED && icon.minimizeToTray_) {
    icon.Application().Guard([&icon] { icon.GoToTray(); });
  }
  return ::DefSubclassProc(window, message, w, l);
}

}  // namespace horalux
