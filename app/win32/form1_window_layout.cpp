// The window and its controls: captions, positions (left, top, width, height in pixels of
// the window's client area, scaled by the screen's DPI), mnemonics, tab order and the
// default button.
// windows.h first: the other system headers take its types.
#include <windows.h>

#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/win32/form1_window.h"
#include "app/win32/tray_images.h"
#include "desktop/application.h"

namespace horalux {
namespace {

constexpr const char* kIntervalCaption = "Synchronize time &every                     minutes";
constexpr const char* kFontName = "MS Sans Serif";
constexpr int kFontPoints = 8;
constexpr int kSmallestFontPixels = 8;
constexpr int kClientWidth = 329;
constexpr int kClientHeight = 361;
// The group box "NTP Client": its controls are placed relative to it, but are children of
// the window, so that their notifications and the dialog keys reach it.
constexpr int kGroupLeft = 8;
constexpr int kGroupTop = 8;
constexpr DWORD kTabStop = WS_TABSTOP | WS_GROUP;
// No WS_CLIPCHILDREN: the group boxes paint only their frames, the window the rest.
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU;
constexpr int kCheckIndicator = 20;  // a check box's box and the gap before its text
constexpr int kButtonMargin = 8;
// Where the interval's label shows "minutes": after the up-down control, relative to the
// label (the edit and its arrows end at 176 in the group box, the label starts at 8).
constexpr int kMinutesLeft = 176 - 8 + 1;

struct CaptionRoom {
  std::string caption;
  int width;  // in the window description's pixels
  bool bold = false;
};

// Each caption with the room its control leaves for it, by the window description's
// geometry.
std::vector<CaptionRoom> Captions() {
  const auto [every, minutes] = IntervalCaptionParts(kIntervalCaption);
  return {
      {"Get time &from", 62},
      {every, 122 - 8 - 2},
      {minutes, 208 - kMinutesLeft},
      {"Synchronize &time when Horalux starts", 241 - kCheckIndicator},
      {"&Other Clients can get the time from this machine", 273 - kCheckIndicator},
      {"Sync &Now", 73 - kButtonMargin},
      {"&Save Settings", 81 - kButtonMargin},
      {"Horalux 1.0", 129, true},
      {TForm1::kWebAddressShown, 129},
  };
}

bool Fits(HFONT font, HFONT bold, const std::vector<CaptionRoom>& captions, int dpi) {
  const HDC screen = ::GetDC(nullptr);
  bool fits = true;
  for (const CaptionRoom& room : captions) {
    std::string text = room.caption;
    std::erase(text, '&');
    const HGDIOBJ previous = ::SelectObject(screen, room.bold ? bold : font);
    SIZE size{};
    ::GetTextExtentPoint32A(screen, text.data(), static_cast<int>(text.size()), &size);
    ::SelectObject(screen, previous);
    if (size.cx > ::MulDiv(room.width, dpi, 96)) fits = false;
  }
  ::ReleaseDC(nullptr, screen);
  return fits;
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
  const auto [every, minutes] = IntervalCaptionParts(kIntervalCaption);
  RECT area = item.rcItem;
  // Only the two parts are drawn: the edit and its arrows lie over the blanks between them.
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, ::GetSysColor(COLOR_BTNTEXT));
  const UINT hidePrefix =
      (::SendMessageA(window_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0 ? DT_HIDEPREFIX : 0;
  ::DrawTextA(item.hDC, every.c_str(), -1, &area, DT_LEFT | DT_SINGLELINE | hidePrefix);
  area.left += Scale(kMinutesLeft);
  ::DrawTextA(item.hDC, minutes.c_str(), -1, &area, DT_LEFT | DT_SINGLELINE | hidePrefix);
}

void TForm1Window::CreateMainWindow() {
  dpi_ = ScreenDpi();
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  RegisterWindowClass(toolkit_.Instance(), &WindowProc);

  RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
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
// caption fits its control, so that none is cut.
void TForm1Window::CreateFonts() {
  LOGFONTA font{};
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(font.lfFaceName, kFontName, LF_FACESIZE);
  const int smallest = -Scale(kSmallestFontPixels);
  for (font.lfHeight = -::MulDiv(kFontPoints, dpi_, 72);; ++font.lfHeight) {
    font_.reset(::CreateFontIndirectA(&font));
    font.lfWeight = FW_BOLD;
    boldFont_.reset(::CreateFontIndirectA(&font));
    font.lfWeight = FW_NORMAL;
    if (font.lfHeight >= smallest || Fits(font_.get(), boldFont_.get(), Captions(), dpi_)) break;
  }
  font.lfUnderline = TRUE;
  linkFont_.reset(::CreateFontIndirectA(&font));
}

HWND TForm1Window::Place(const char* windowClass, TControlId id, const char* caption, DWORD style,
                         int left, int top, int width, int height, DWORD exStyle) {
  const HWND control = ::CreateWindowExA(
      exStyle, windowClass, caption, WS_CHILD | WS_VISIBLE | style, Scale(left), Scale(top),
      Scale(width), Scale(height), window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      toolkit_.Instance(), nullptr);
  if (control == nullptr) throw std::runtime_error("a control of the main window cannot be made");
  ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  return control;
}

// Created in the order of the tab order (the dialog keys follow the order of creation),
// each label right before the control its mnemonic focuses; the group boxes last, beneath
// the controls they frame.
void TForm1Window::CreateControls() {
  CreateFonts();
  const int gx = kGroupLeft;
  const int gy = kGroupTop;
  Place(WC_BUTTONA, idBtHide, "&Hide", BS_DEFPUSHBUTTON | kTabStop, 248, 304, 75, 25);
  Place(WC_STATICA, idLabel1, "Get time &from", SS_LEFT, gx + 8, gy + 18, 62, 13);
  const HWND host = Place(WC_COMBOBOXA, idCbTimeHost, "",
                          CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | kTabStop, 85, 24, 228, 160);
  ::SendMessageA(host, CB_LIMITTEXT, 0, 0);  // typing stops at 30,000 characters otherwise
  ::SendMessageA(host, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Scale(15));
  ::SendMessageA(host, CB_SETITEMHEIGHT, 0, Scale(13));
  Place(WC_STATICA, idLabel2, kIntervalCaption, SS_OWNERDRAW, gx + 8, gy + 50, 208, 13);
  const HWND interval = Place(WC_EDITA, idEdInterval, "", ES_LEFT | ES_AUTOHSCROLL | kTabStop,
                              gx + 122, gy + 48, 39, 21, WS_EX_CLIENTEDGE);
  const HWND upDown = Place(UPDOWN_CLASSA, idUpDown, "", UDS_SETBUDDYINT | UDS_ARROWKEYS, gx + 161,
                            gy + 48, 15, 21);
  ::SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(interval), 0);
  ::SendMessageA(upDown, UDM_SETRANGE32, 0, 9999);
  UDACCEL step{0, 15};
  ::SendMessageA(upDown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
  ::SendMessageA(upDown, UDM_SETPOS32, 0, 300);
  // The control makes itself as wide as a scroll bar's arrows: it has the description's width.
  ::SetWindowPos(upDown, nullptr, Scale(gx + 161), Scale(gy + 48), Scale(15), Scale(21),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  const HWND startup = Place(WC_BUTTONA, idCkStartup, "Synchronize &time when Horalux starts",
                             BS_AUTOCHECKBOX | kTabStop, gx + 8, gy + 80, 241, 17);
  ::SendMessageA(startup, BM_SETCHECK, BST_CHECKED, 0);
  Place(WC_BUTTONA, idBtSync, "Sync &Now", BS_PUSHBUTTON | kTabStop, 240, 78, 73, 25);
  Place(WC_BUTTONA, idCkServer, "&Other Clients can get the time from this machine",
        BS_AUTOCHECKBOX | kTabStop, 16, 152, 273, 17);
  const HWND log =
      Place(WC_EDITA, idLog, "",
            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | kTabStop, 8,
            200, 313, 89, WS_EX_CLIENTEDGE);
  ::SendMessageA(log, EM_SETLIMITTEXT, 0, 0);
  Place(WC_BUTTONA, idBtSave, "&Save Settings", BS_PUSHBUTTON | kTabStop, 8, 304, 81, 25);

  const HWND version = Place(WC_STATICA, idLabel7, "Horalux 1.0", SS_CENTER, 104, 302, 129, 13);
  ::SendMessageA(version, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
  const HWND address = Place(WC_STATICA, idLblURL, TForm1::kWebAddressShown, SS_CENTER | SS_NOTIFY,
                             104, 318, 129, 13);
  ::SendMessageA(address, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);
  const HWND status =
      Place(STATUSCLASSNAMEA, idStatusBar, "", CCS_NOPARENTALIGN | CCS_NORESIZE | SBT_TOOLTIPS, 0,
            342, kClientWidth, 19);
  int panels[2] = {Scale(200), -1};
  ::SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(panels));

  Place(WC_BUTTONA, idGroupBox2, "NTP Client", BS_GROUPBOX, 8, 8, 313, 105);
  Place(WC_BUTTONA, idGroupBox1, "NTP Server", BS_GROUPBOX, 8, 128, 313, 57);
  ::SetFocus(Control(idBtHide));
}

}  // namespace horalux
