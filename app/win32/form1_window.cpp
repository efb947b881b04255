#include "app/win32/form1_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>

#include "app/form1.h"
#include "app/win32/log_edit.h"
#include "app/win32/tray_images.h"

namespace horalux {
namespace {

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

TForm1Window::TForm1Window(TApplication& application, TWin32Toolkit& toolkit)
    : TForm1DesktopView(application), toolkit_(toolkit) {
  CreateMainWindow();
  CreateControls();
  toolkit_.SetMainForm(window_);
  CreateComponents(&AddTrayImages);
}

// The window outlives this object's members only briefly, while they go: from here on its
// messages take the system's default way.
TForm1Window::~TForm1Window() {
  DestroyComponents();
  if (toolkit_.MainForm() == window_) toolkit_.SetMainForm(nullptr);
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
}

int TForm1Window::Scale(int pixels) const { return ::MulDiv(pixels, dpi_, 96); }

LRESULT CALLBACK TForm1Window::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TForm1Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ == nullptr) {
    return ::DefWindowProcA(window, message, w, l);
  }
  LRESULT result = 0;  // stays 0 when the handler fails
  self->Application().Guard([&] { result = self->HandleMessage(message, w, l); });
  return result;
}

LRESULT TForm1Window::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      if (HandleCommand(LOWORD(w), HIWORD(w))) return 0;
      break;
    case WM_SHOWWINDOW:
      if (l == 0) TraceVisible(w != FALSE);  // by ShowWindow, not with an owner's state
      break;
    case WM_CLOSE:
      // The close box ends the program: this is the main window, with nothing to hide into.
      Application().Terminate();
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(idBtHide, DC_HASDEFID);
    case WM_NEXTDLGCTL: {
      // A label's mnemonic: the focus goes to the label, then on to the control after it.
      const HWND target = LOWORD(l) != 0
                              ? reinterpret_cast<HWND>(w)
                              : ::GetNextDlgTabItem(window_, ::GetFocus(), w != 0 ? TRUE : FALSE);
      if (target != nullptr) ::SetFocus(target);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(w) == WA_INACTIVE) {
        focused_ = ::GetFocus();
      } else {
        const HWND target =
            focused_ != nullptr && ::IsChild(window_, focused_) ? focused_ : Control(idBtHide);
        ::SetFocus(target);
        return 0;
      }
      break;
    case WM_SETCURSOR: {
      const LPCSTR shape = toolkit_.WaitCursor()                            ? IDC_WAIT
                           : reinterpret_cast<HWND>(w) == Control(idLblURL) ? IDC_HAND
                                                                            : nullptr;
      if (shape == nullptr) break;
      ::SetCursor(::LoadCursorA(nullptr, shape));
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (item.CtlID != idLabel2) break;
      DrawIntervalLabel(item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      return ControlColor(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l),
                          ::DefWindowProcA(window_, message, w, l));
    default:
      break;
  }
  return ::DefWindowProcA(window_, message, w, l);
}

bool TForm1Window::HandleCommand(int id, int code) {
  if (id == idLblURL) {
    if (code == STN_CLICKED) RunHandler(&TForm1::lblURLClick);
    return true;
  }
  if (code != BN_CLICKED) return false;
  if (id == IDCANCEL) return true;  // Escape does nothing: there is no cancel button
  static constexpr std::pair<TControlId, void (TForm1::*)()> kClicks[] = {
      {idBtSync, &TForm1::btSyncClick},
      {idBtSave, &TForm1::btSaveClick},
      {idBtHide, &TForm1::btHideClick},
      {idCkServer, &TForm1::ckServerClick},
  };
  for (const auto& [control, handler] : kClicks) {
    if (control != id) continue;
    RunHandler(handler);
    return true;
  }
  return false;
}

// The address is blue; the read-only log keeps the colour of an edit.
LRESULT TForm1Window::ControlColor(HDC dc, HWND control, LRESULT standard) {
  if (control == Control(idLblURL)) {
    ::SetTextColor(dc, RGB(0, 0, 255));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
  }
  if (control == Control(idLog)) {
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
  }
  return standard;
}

void TForm1Window::SetCaption(const std::string& caption) {
  ::SetWindowTextA(window_, caption.c_str());
}

void TForm1Window::ShowWindow() { BringWindowToFront(window_); }

void TForm1Window::HideWindow() { ::ShowWindow(window_, SW_HIDE); }

void TForm1Window::AddHostItem(const std::string& host) {
  ::SendMessageA(Control(idCbTimeHost), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(host.c_str()));
}

std::string TForm1Window::HostText() { return WindowText(Control(idCbTimeHost)); }

void TForm1Window::SetHostText(const std::string& text) {
  ::SetWindowTextA(Control(idCbTimeHost), text.c_str());
}

// The up-down control takes the edit's text over when it is a number within its range.
int TForm1Window::IntervalPosition() {
  BOOL failed = FALSE;
  return static_cast<int>(
      ::SendMessageA(Control(idUpDown), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
}

void TForm1Window::SetIntervalPosition(int position) {
  ::SendMessageA(Control(idUpDown), UDM_SETPOS32, 0, position);
}

bool TForm1Window::Checked(TCheckBox box) {
  const HWND control = Control(box == TCheckBox::ckStartup ? idCkStartup : idCkServer);
  return ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// BM_SETCHECK raises no click: the controller runs the handler itself.
void TForm1Window::SetChecked(TCheckBox box, bool checked) {
  const HWND control = Control(box == TCheckBox::ckStartup ? idCkStartup : idCkServer);
  ::SendMessageA(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Two tabs before a panel's text align it to the right. A panel cuts its text at its edge
// (a long machine name): the status bar then shows the tip, which has it whole.
void TForm1Window::ShowStatusText(TStatusPanel panel, const std::string& text) {
  const HWND status = Control(idStatusBar);
  const std::string shown = panel == TStatusPanel::DateTime ? "\t\t" + text : text;
  ::SendMessageA(status, SB_SETTEXTA, static_cast<WPARAM>(panel),
                 reinterpret_cast<LPARAM>(shown.c_str()));
  ::SendMessageA(status, SB_SETTIPTEXTA, static_cast<WPARAM>(panel),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void TForm1Window::ShowLogChange(std::size_t removedFromStart,
                                 const std::vector<std::string>& appended) {
  ChangeLogLines(Control(idLog), removedFromStart, appended);
}

void TForm1Window::OpenUrlWithSystem(const std::string& address) {
  ::ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace horalux
