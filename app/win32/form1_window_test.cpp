// What only the Win32 window does, read back through Win32: its controls with their
// geometry, captions, tab order, mnemonics and default button, the up-down control, the
// log and the status bar, and the way its events reach the controller. The controller's
// logic is tested in app/ against a recording view.
#include "app/win32/form1_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/log_view_cases_testing.h"
#include "app/program.h"
#include "app/win32/log_edit.h"
#include "app/win32/win32_date_time_formats.h"
#include "desktop/application.h"
#include "desktop/toolkit_testing.h"
#include "desktop/win32/win32_toolkit.h"
#include "platform/clock_setter_testing.h"
#include "platform/registry_store.h"
#include "platform/scoped_temp_dir.h"
#include "tests/support/scoped_env.h"
#include "timeproto/time_server.h"

namespace horalux {
namespace {

std::string TextOf(HWND window) {
  char text[256] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

// The window with a controller over the test prefix's registry, no host list (the start-up
// warning is recorded), a clock setter that only records, and a time server on a port of
// the system's choice.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : window(application, toolkit) {
    application.SetTitle("Horalux");
    window.UrlOpener = [this](const std::string& address) { openedUrls.push_back(address); };
  }
  ~WindowTest() override { form.reset(); }
  TForm1& StartWindow(const std::string& hostListPath = "no such folder\\server.lst") {
    TForm1Environment environment;
    environment.store = NewUserRegistryStore();
    environment.hostListPath = hostListPath;
    environment.clockSetter = std::make_unique<RecordingClockSetter>();
    environment.formats = std::make_unique<TWin32DateTimeFormats>();
    environment.timeServerPort = 0;
    form = std::make_unique<TForm1>(window, std::move(environment));
    boxes.clear();
    return *form;
  }
  HWND Control(TControlId id) const { return window.Control(id); }
  // The control's rectangle in the window's client area, in the window description's
  // pixels (the system's divided by the DPI's scale).
  RECT Placed(TControlId id) const {
    RECT rect{};
    ::GetWindowRect(Control(id), &rect);
    ::MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  void ExpectPlaced(TControlId id, int left, int top, int width, int height) const {
    const RECT rect = Placed(id);
    EXPECT_EQ(rect.left, window.Scale(left)) << id;
    EXPECT_EQ(rect.top, window.Scale(top)) << id;
    EXPECT_EQ(rect.right - rect.left, window.Scale(width)) << id;
    EXPECT_EQ(rect.bottom - rect.top, window.Scale(height)) << id;
  }
  // A key as the message loop hands it over: to the dialog keys first.
  void PressKey(UINT message, WPARAM key) {
    MSG keyMessage{::GetFocus(), message, key, message == WM_SYSCHAR ? (1L << 29) : 0, 0, {}};
    if (!::IsDialogMessageA(window.Handle(), &keyMessage)) {
      ::TranslateMessage(&keyMessage);
      ::DispatchMessageA(&keyMessage);
    }
  }
  void ShowAndFocus() {
    window.ShowWindow();
    application.ProcessMessages();
    ::SetFocus(Control(idBtHide));
  }

  testing::BoxesRecorded<TWin32Toolkit> toolkit;
  TApplication application{toolkit};
  const TLoopHooks hooks{application};  // idle steps handle the window's messages
  TForm1Window window;
  std::vector<testing::RecordedBox>& boxes = toolkit.boxes;
  std::vector<std::string> openedUrls;
  std::unique_ptr<TForm1> form;
};

TEST_F(WindowTest, ControlsFollowTheWindowDescription) {
  StartWindow();
  RECT client{};
  ::GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, window.Scale(329));
  EXPECT_EQ(client.bottom, window.Scale(361));
  const auto style = static_cast<DWORD>(::GetWindowLongPtrA(window.Handle(), GWL_STYLE));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(TextOf(window.Handle()), "Horalux");

  for (const TControlRow& row : kForm1Controls) {
    const TPlace place = InWindow(row);
    ExpectPlaced(IdOf(row.name), place.left, place.top, place.width, place.height);
    const std::string caption =
        row.kind == TControlKind::Edit ? std::to_string(kIntervalRange.position) : row.caption;
    EXPECT_EQ(TextOf(Control(IdOf(row.name))), caption) << row.name;
  }
  EXPECT_EQ(::SendMessageA(Control(idCkStartup), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::SendMessageA(Control(idCkServer), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(::GetWindowLongPtrA(Control(idLog), GWL_STYLE) & ES_READONLY);

  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HGDIOBJ>(::SendMessageA(Control(idBtHide), WM_GETFONT, 0, 0)),
               sizeof font, &font);
  // 8 points, or smaller where the system's face for it is wider (Wine's is).
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
  EXPECT_GE(font.lfHeight, -::MulDiv(8, window.Scale(96), 72));
  EXPECT_LE(font.lfHeight, -window.Scale(8));
}

TEST_F(WindowTest, TabOrderDefaultButtonAndMnemonics) {
  StartWindow();
  std::vector<TControlId> order;
  for (const TControlRow& row : kForm1Controls) {
    if (row.tabStop) order.push_back(IdOf(row.name));
  }
  HWND current = Control(order.front());
  for (std::size_t i = 1; i <= order.size(); ++i) {
    current = ::GetNextDlgTabItem(window.Handle(), current, FALSE);
    EXPECT_EQ(current, Control(order[i % order.size()])) << "after " << order[i - 1];
  }
  EXPECT_EQ(::SendMessageA(window.Handle(), DM_GETDEFID, 0, 0), MAKELRESULT(idBtHide, DC_HASDEFID));
  EXPECT_TRUE(::GetWindowLongPtrA(Control(idBtHide), GWL_STYLE) & BS_DEFPUSHBUTTON);

  ShowAndFocus();
  PressKey(WM_SYSCHAR, 'f');
  EXPECT_TRUE(::GetFocus() == Control(idCbTimeHost) ||
              ::IsChild(Control(idCbTimeHost), ::GetFocus()));
  PressKey(WM_SYSCHAR, 'e');
  EXPECT_EQ(::GetFocus(), Control(idEdInterval));
  // Enter presses the default button, "&Hide", wherever the focus is.
  ::SetFocus(Control(idCkStartup));
  PressKey(WM_KEYDOWN, VK_RETURN);
  EXPECT_FALSE(::IsWindowVisible(window.Handle()));
}

TEST_F(WindowTest, IntervalStepsByFifteenWithinItsRangeAndTakesTheEditsNumber) {
  StartWindow();
  int low = -1, high = -1;
  ::SendMessageA(Control(idUpDown), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 9999);
  UDACCEL step{};
  ::SendMessageA(Control(idUpDown), UDM_GETACCEL, 1, reinterpret_cast<LPARAM>(&step));
  EXPECT_EQ(step.nInc, 15U);

  char separator[8] = {};
  ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof separator);
  window.SetIntervalPosition(1200);
  EXPECT_EQ(TextOf(Control(idEdInterval)), std::string("1") + separator + "200");
  ::SetWindowTextA(Control(idEdInterval), "45");
  EXPECT_EQ(window.IntervalPosition(), 45);
  ::SetWindowTextA(Control(idEdInterval), "many");
  EXPECT_EQ(window.IntervalPosition(), 45);
}

// The host box takes a host of any length, stored or typed, and gives it back whole.
TEST_F(WindowTest, TheHostBoxKeepsALongHostWhole) {
  StartWindow();
  const std::string host(40'000, 'h');
  window.SetHostText(host);
  EXPECT_EQ(window.HostText(), host);
  const HWND edit = ::FindWindowExA(Control(idCbTimeHost), nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  ::SendMessageA(edit, EM_SETSEL, 40'000, 40'000);
  ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x"));  // as typed
  EXPECT_EQ(window.HostText(), host + "x");
}

// The program's settings in the test prefix's registry, as the registry editor imports them
// from a Unicode export: by the wide calls. Gone again with the object.
class ImportedSettings {
 public:
  explicit ImportedSettings(const std::wstring& host) {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                      nullptr);
    ::RegSetValueExW(key_, L"Host", 0, REG_SZ, reinterpret_cast<const BYTE*>(host.c_str()),
                     static_cast<DWORD>((host.size() + 1) * sizeof(wchar_t)));
    const DWORD interval = 300;
    const DWORD off = 0;
    ::RegSetValueExW(key_, L"Interval", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&interval), 4);
    for (const wchar_t* name : {L"Sync on Startup", L"Start Server"}) {
      ::RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), 4);
    }
  }
  ~ImportedSettings() {
    for (const wchar_t* name : {L"Host", L"Interval", L"Sync on Startup", L"Start Server"}) {
      ::RegDeleteValueW(key_, name);
    }
    ::RegCloseKey(key_);
  }
  ImportedSettings(const ImportedSettings&) = delete;
  ImportedSettings& operator=(const ImportedSettings&) = delete;

  std::wstring Host() const {
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    ::RegQueryValueExW(key_, L"Host", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    return text;
  }

 private:
  static constexpr const wchar_t* kKey = L"SOFTWARE\\Vantok\\Horalux";
  HKEY key_ = nullptr;
};

// A host that the ANSI code page (1252 here) cannot hold whole shows as far as it can, and
// Save Settings leaves it in the registry as it was; a host typed over it is saved.
TEST_F(WindowTest, SaveLeavesAHostBeyondTheCodePageWhole) {
  const std::wstring imported = L"zh-\u4e2d-\u00e9.example";
  const ImportedSettings settings(imported);
  const testing::ScopedTempDir folder;
  testing::WriteFileText(folder.File("server.lst"), "");
  StartWindow(folder.File("server.lst"));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(window.HostText(), "zh-?-\xe9.example");
  ::SendMessageA(Control(idBtSave), BM_CLICK, 0, 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(settings.Host(), imported);

  window.SetHostText("time.example");
  ::SendMessageA(Control(idBtSave), BM_CLICK, 0, 0);
  EXPECT_EQ(settings.Host(), L"time.example");
}

TEST_F(WindowTest, LogAndStatusBarShowWhatTheyAreTold) {
  StartWindow();
  window.ChangeLog(0, {"one", "two"});
  window.ChangeLog(1, {"three"});
  EXPECT_EQ(TextOf(Control(idLog)), "two\r\nthree");
  window.ChangeLog(2, {"four"});
  EXPECT_EQ(TextOf(Control(idLog)), "four");

  int parts[3] = {};
  EXPECT_EQ(::SendMessageA(Control(idStatusBar), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(parts)),
            2);
  EXPECT_EQ(parts[0], window.Scale(200));
  window.SetStatusText(TStatusPanel::Run, " NTP Server not running");
  window.SetStatusText(TStatusPanel::DateTime, "2026-12-08 14:03:07");
  char text[64] = {};
  ::SendMessageA(Control(idStatusBar), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, " NTP Server not running");
  ::SendMessageA(Control(idStatusBar), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "\t\t2026-12-08 14:03:07");  // right-aligned
}

// A line of a hundred thousand characters (a host of that length) shows its time and its
// outcome, from its start; the control holds a bounded part of it, so that it paints at once.
TEST_F(WindowTest, AVeryLongLineShowsItsStartAndItsEndFromItsStart) {
  StartWindow();
  const std::string first = "-> 4:23:00 PM  127.0.0.1 * difference +1 sec";
  const std::string line = "-> 4:23:59 PM  " + std::string(100'000, 'h') + " *** Connect Error ***";
  window.ChangeLog(0, {first, line});
  const std::string shown = ShownLogLine(line);
  EXPECT_LE(shown.size(), kLongestShownLine);
  EXPECT_TRUE(shown.starts_with("-> 4:23:59 PM  hhh"));
  EXPECT_TRUE(shown.ends_with("hhh *** Connect Error ***"));
  EXPECT_NE(shown.find(kCutMark), std::string::npos);
  const HWND log = Control(idLog);
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(log)) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(::GetWindowTextA(log, text.data(), static_cast<int>(text.size()))));
  EXPECT_EQ(text, first + "\r\n" + shown);
  const auto x = [log](std::size_t at) {
    return static_cast<short>(LOWORD(::SendMessageA(log, EM_POSFROMCHAR, at, 0)));
  };
  EXPECT_EQ(x(first.size() + 2), x(0));  // the newest line from its start, not sideways

  for (const std::size_t size : {std::size_t{0}, kLongestShownLine}) {
    EXPECT_EQ(ShownLogLine(std::string(size, 'x')), std::string(size, 'x'));
  }
  EXPECT_LE(ShownLogLine(std::string(kLongestShownLine + 1, 'x')).size(), kLongestShownLine);
}

// The log as a user works it: keys through the dialog keys as the loop hands them over,
// with Ctrl held in the thread's keyboard state, where the edit control reads it.
class Win32LogProbe final : public testing::TLogViewProbe {
 public:
  Win32LogProbe(HWND before, HWND log, std::function<void(UINT, WPARAM)> press)
      : before_(before), log_(log), press_(std::move(press)) {}
  bool TabIntoLog() override {
    ::SetFocus(before_);
    press_(WM_KEYDOWN, VK_TAB);
    return ::GetFocus() == log_;
  }
  void Press(testing::TLogKey key, bool control) override {
    static constexpr WPARAM kKeys[] = {VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_UP, VK_DOWN};
    BYTE keys[256] = {};
    keys[VK_CONTROL] = control ? 0x80 : 0;
    ::SetKeyboardState(keys);
    press_(WM_KEYDOWN, kKeys[static_cast<int>(key)]);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
  }
  void ScrollTo(int line) override {
    ::SendMessageA(log_, EM_LINESCROLL, 0, line - FirstVisibleLine());
  }
  int LineCount() override {
    return ::GetWindowTextLengthA(log_) == 0
               ? 0
               : static_cast<int>(::SendMessageA(log_, EM_GETLINECOUNT, 0, 0));
  }
  int FirstVisibleLine() override {
    return static_cast<int>(::SendMessageA(log_, EM_GETFIRSTVISIBLELINE, 0, 0));
  }
  int VisibleLines() override {
    SCROLLINFO bar{sizeof bar, SIF_PAGE, 0, 0, 0, 0, 0};
    ::GetScrollInfo(log_, SB_VERT, &bar);
    return static_cast<int>(bar.nPage);
  }
  std::string Line(int index) override {
    char text[256] = {};
    *reinterpret_cast<WORD*>(text) = sizeof text - 1;
    const LRESULT length = ::SendMessageA(log_, EM_GETLINE, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(text));
    return std::string(text, static_cast<std::size_t>(length));
  }
  bool AtEnd() override { return FirstVisibleLine() + VisibleLines() >= LineCount(); }

 private:
  HWND before_;
  HWND log_;
  std::function<void(UINT, WPARAM)> press_;
};

TEST_F(WindowTest, TheLogIsReadByKeyboardAndStaysWhereTheUserReads) {
  StartWindow();
  ShowAndFocus();
  Win32LogProbe probe(Control(idCkServer), Control(idLog),
                      [this](UINT message, WPARAM key) { PressKey(message, key); });
  testing::ExpectKeysMoveThroughTheLog(window, probe);
  testing::ExpectNewLinesFollowOnlyAViewAtTheEnd(window, probe);
}

// A panel shows what fits; the status bar's tip for it has the whole text.
TEST_F(WindowTest, AStatusPanelsTipHasItsWholeText) {
  StartWindow();
  const std::string ready = " NTP Server on \"" + std::string(29, 'm') + "\" ready!";
  window.SetStatusText(TStatusPanel::Run, ready);
  window.SetStatusText(TStatusPanel::DateTime, "2026-12-09 14:03:07");
  char tip[128] = {};
  ::SendMessageA(Control(idStatusBar), SB_GETTIPTEXTA, MAKEWPARAM(0, sizeof tip),
                 reinterpret_cast<LPARAM>(tip));
  EXPECT_EQ(tip, ready);
  ::SendMessageA(Control(idStatusBar), SB_GETTIPTEXTA, MAKEWPARAM(1, sizeof tip),
                 reinterpret_cast<LPARAM>(tip));
  EXPECT_STREQ(tip, "2026-12-09 14:03:07");
}

TEST_F(WindowTest, ControlsAndMenuReachTheController) {
  TForm1& controller = StartWindow();
  ::SendMessageA(Control(idCkServer), BM_CLICK, 0, 0);
  EXPECT_TRUE(controller.IdTimeServer().Active());
  ::SendMessageA(Control(idCkServer), BM_CLICK, 0, 0);
  EXPECT_FALSE(controller.IdTimeServer().Active());

  ::SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(idLblURL, STN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(idLblURL)));
  EXPECT_EQ(openedUrls, std::vector<std::string>{TForm1::kWebAddress});

  TForm1Components& components = window.Components();
  components.PopupMenu().Click(components.mnOptions);
  EXPECT_TRUE(::IsWindowVisible(window.Handle()));
  components.PopupMenu().Click(components.mnExit);
  EXPECT_TRUE(application.Terminated());
}

TEST_F(WindowTest, CloseBoxEndsTheProgramAndFailuresReachTheErrorBox) {
  TForm1& controller = StartWindow();
  EXPECT_FALSE(controller.Guard([] { throw std::runtime_error("Broken"); }));
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].icon, TMessageIcon::Error);
  EXPECT_EQ(boxes[0].caption, "Horalux");
  EXPECT_EQ(boxes[0].text, "Broken.");
  ::SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(application.Terminated());
  EXPECT_TRUE(::IsWindow(window.Handle()));
}

// The trace that the Linux build has, here too: the window shown and hidden, the status
// with the clock's tick.
TEST_F(WindowTest, TheTraceFollowsTheWindowAndItsStatusWhenAskedFor) {
  StartWindow();
  window.HideWindow();
  const testing::ScopedEnvVar on("HORALUX_UI_TRACE", "1");
  ::testing::internal::CaptureStderr();
  window.ShowWindow();
  window.SetStatusText(TStatusPanel::Run, "Connecting");
  window.SetStatusText(TStatusPanel::DateTime, "12:00:00");
  window.HideWindow();
  const std::string trace = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(trace.find("horalux.ui: window shown\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("horalux.ui: status Connecting | 12:00:00 | log "), std::string::npos)
      << trace;
  EXPECT_NE(trace.find("horalux.ui: window hidden\n"), std::string::npos) << trace;
}

}  // namespace
}  // namespace horalux
