// The window and its controls from the window's table (app/form1_window_table.h), scaled
// by the screen's DPI, with what only Win32 needs besides: window classes and styles, the
// up-down control's buddy, and the fonts.
// windows.h first: the other system headers take its types.
#include <windows.h>

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "app/win32/form1_window.h"
#include "app/win32/tray_images.h"
#include "desktop/application.h"

namespace horalux {
namespace {

constexpr const char* kFontName = "MS Sans Serif";
constexpr int kFontPoints = 8;
constexpr int kSmallestFontPixels = 8;
constexpr int kDropDownHeight = 160;  // the host box with its list open
constexpr DWORD kTabStop = WS_TABSTOP | WS_GROUP;
// No WS_CLIPCHILDREN: the group boxes paint only their frames, the window the rest.
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU;

struct TWin32Class {
  const char* windowClass;
  DWORD style;
  DWORD exStyle = 0;
};

// By TControlKind; tab stops and the labels' styles come from the row.
constexpr TWin32Class kClasses[] = {
    {WC_BUTTONA, BS_GROUPBOX},
    {WC_STATICA, 0},
    {WC_EDITA, ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {UPDOWN_CLASSA, UDS_SETBUDDYINT | UDS_ARROWKEYS},
    {WC_BUTTONA, BS_AUTOCHECKBOX},
    {WC_COMBOBOXA, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL},
    {WC_BUTTONA, BS_PUSHBUTTON},
    {WC_EDITA, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL,
     WS_EX_CLIENTEDGE},
    {STATUSCLASSNAMEA, CCS_NOPARENTALIGN | CCS_NORESIZE | SBT_TOOLTIPS},
};

static_assert(std::size(kClasses) == static_cast<int>(TControlKind::Bar) + 1);

TWin32Class ClassOf(const TControlRow& row) {
  TWin32Class kind = kClasses[static_cast<int>(row.kind)];
  if (row.tabStop) kind.style |= kTabStop;
  if (row.name == kDefaultButton) kind.style |= BS_DEFPUSHBUTTON;
  if (row.kind != TControlKind::Label) return kind;
  if (!SpacedCaptionParts(row.caption).second.empty()) return {WC_STATICA, SS_OWNERDRAW};
  kind.style |= row.centred ? SS_CENTER : SS_LEFT;
  if (row.name == "lblURL") kind.style |= SS_NOTIFY;  // its clicks reach the window
  return kind;
}

// The window's face, `pixels` high.
HFONT NewFont(int pixels, LONG weight = FW_NORMAL, BYTE underline = FALSE) {
  LOGFONTA font{};
  font.lfHeight = -pixels;
  font.lfWeight = weight;
  font.lfUnderline = underline;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(font.lfFaceName, kFontName, LF_FACESIZE);
  return ::CreateFontIndirectA(&font);
}

// A text's width on the screen, in the window description's pixels.
int TextWidth(int dpi, int size, const std::string& text, bool bold) {
  const HFONT font = NewFont(size, bold ? FW_BOLD : FW_NORMAL);
  const HDC screen = ::GetDC(nullptr);
  const HGDIOBJ previous = ::SelectObject(screen, font);
  SIZE extent{};
  ::GetTextExtentPoint32A(screen, text.data(), static_cast<int>(text.size()), &extent);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  ::DeleteObject(font);
  return ::MulDiv(extent.cx, 96, dpi);
}

int ScreenDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = ProgramIcon(::GetSystemMetrics(SM_CXICON));
  windowClass.hIconSm = ProgramIcon(::GetSystemMetrics(SM_CXSMICON));
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = TForm1Window::kWindowClass;
  ::RegisterClassExA(&windowClass);  // a second window in one process finds it registered
}

}  // namespace

void TForm1Window::DrawIntervalLabel(const DRAWITEMSTRUCT& item) const {
  const TControlRow& label = Form1Control("Label2");
  const auto [every, minutes] = SpacedCaptionParts(label.caption);
  RECT area = item.rcItem;
  // Only the two parts are drawn: the edit and its arrows lie over the blanks between them.
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, ::GetSysColor(COLOR_BTNTEXT));
  const UINT hidePrefix =
      (::SendMessageA(window_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0 ? DT_HIDEPREFIX : 0;
  ::DrawTextA(item.hDC, every.c_str(), -1, &area, DT_LEFT | DT_SINGLELINE | hidePrefix);
  // "minutes" one pixel after the up-down control, whatever width the font gives the blanks.
  const TPlace& arrows = Form1Control("UpDown").place;
  area.left += Scale(arrows.left + arrows.width - label.place.left + 1);
  ::DrawTextA(item.hDC, minutes.c_str(), -1, &area, DT_LEFT | DT_SINGLELINE | hidePrefix);
}

void TForm1Window::CreateMainWindow() {
  dpi_ = ScreenDpi();
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  RegisterWindowClass(toolkit_.Instance(), &WindowProc);

  RECT frame{0, 0, Scale(kForm1ClientWidth), Scale(kForm1ClientHeight)};
  ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // At the centre of the desktop; afterwards wherever the user puts it.
  RECT desktop{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
  const int left = desktop.left + (desktop.right - desktop.left - width) / 2;
  const int top = desktop.top + (desktop.bottom - desktop.top - height) / 2;
  const HWND window =
      ::CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, "", kWindowStyle, left, top, width,
                        height, nullptr, nullptr, toolkit_.Instance(), this);
  if (window == nullptr) throw std::runtime_error("the main window cannot be made");
  windowHolder_.reset(window);
  window_ = window;
}

// MS Sans Serif at 8 points, the size the captions were laid out for. Where the system puts
// a wider face in its place (Wine does), the largest height down to 8 pixels at which every
// caption fits its room, so that none is cut.
void TForm1Window::CreateFonts() {
  const int smallest = Scale(kSmallestFontPixels);
  const auto width = [this](int size, const std::string& text, bool bold) {
    return TextWidth(dpi_, size, text, bold);
  };
  const int pixels =
      FittingFontSize(::MulDiv(kFontPoints, dpi_, 72), smallest, width).value_or(smallest);
  font_.reset(NewFont(pixels));
  boldFont_.reset(NewFont(pixels, FW_BOLD));
  linkFont_.reset(NewFont(pixels, FW_NORMAL, TRUE));
}

HWND TForm1Window::Place(const TControlRow& row) {
  const TWin32Class kind = ClassOf(row);
  const TPlace place = InWindow(row);
  const int height = row.kind == TControlKind::ComboBox ? kDropDownHeight : place.height;
  const HWND control = ::CreateWindowExA(
      kind.exStyle, kind.windowClass, row.caption, WS_CHILD | WS_VISIBLE | kind.style,
      Scale(place.left), Scale(place.top), Scale(place.width), Scale(height), window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(row.name))), toolkit_.Instance(), nullptr);
  if (control == nullptr) throw std::runtime_error("a control of the main window cannot be made");
  const HFONT font = row.bold               ? boldFont_.get()
                     : row.name == "lblURL" ? linkFont_.get()
                                            : font_.get();
  ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// Created in the table's order, which is the tab order (the dialog keys follow the order
// of creation) with each label right before the control its mnemonic focuses, and the
// group boxes last, beneath the controls they frame.
void TForm1Window::CreateControls() {
  CreateFonts();
  for (const TControlRow& row : kForm1Controls) Place(row);
  const HWND host = Control(idCbTimeHost);
  ::SendMessageA(host, CB_LIMITTEXT, 0, 0);  // typing stops at 30,000 characters otherwise
  ::SendMessageA(host, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Scale(15));
  ::SendMessageA(host, CB_SETITEMHEIGHT, 0, Scale(13));
  const HWND upDown = Control(idUpDown);
  ::SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(idEdInterval)), 0);
  ::SendMessageA(upDown, UDM_SETRANGE32, kIntervalRange.minimum, kIntervalRange.maximum);
  UDACCEL step{0, static_cast<UINT>(kIntervalRange.step)};
  ::SendMessageA(upDown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
  ::SendMessageA(upDown, UDM_SETPOS32, 0, kIntervalRange.position);
  // The control makes itself as wide as a scroll bar's arrows: it has the description's width.
  const TPlace arrows = InWindow(Form1Control("UpDown"));
  ::SetWindowPos(upDown, nullptr, Scale(arrows.left), Scale(arrows.top), Scale(arrows.width),
                 Scale(arrows.height), SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageA(Control(idCkStartup), BM_SETCHECK, BST_CHECKED, 0);
  ::SendMessageA(Control(idLog), EM_SETLIMITTEXT, 0, 0);
  int panels[2] = {Scale(kStatusPanelWidth), -1};
  ::SendMessageA(Control(idStatusBar), SB_SETPARTS, 2, reinterpret_cast<LPARAM>(panels));
  ::SetFocus(Control(IdOf(kDefaultButton)));
}

}  // namespace horalux
