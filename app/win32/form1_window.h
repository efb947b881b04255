// TForm1Window: the Win32 view of TForm1 on Windows. It creates the controls of the window
// description (form1_window_layout.cpp) with plain Win32 controls and, over the Win32
// toolkit, the window's components (app/form1_components.h), shows what the controller
// tells it, and passes its events to the controller's handlers. It decides nothing itself.
//
// Text is program text: bytes in the ANSI code page, which the ANSI calls take as they are.
//
// Thread-safety: main thread only, except Post.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "app/form1_desktop_view.h"
#include "app/form1_window_table.h"
#include "desktop/win32/win32_toolkit.h"

namespace horalux {

// The controls' identifiers, for WM_COMMAND and GetDlgItem: by their rows in the window's
// table.
using TControlId = int;
constexpr TControlId IdOf(std::string_view name) { return 100 + Form1ControlIndex(name); }
constexpr TControlId idLabel2 = IdOf("Label2"), idEdInterval = IdOf("edInterval"),
                     idUpDown = IdOf("UpDown"), idCkStartup = IdOf("ckStartup"),
                     idCbTimeHost = IdOf("cbTimeHost"), idBtSync = IdOf("btSync"),
                     idCkServer = IdOf("ckServer"), idLog = IdOf("Log"), idLblURL = IdOf("lblURL"),
                     idBtSave = IdOf("btSave"), idBtHide = IdOf("btHide"),
                     idStatusBar = IdOf("StatusBar");

class TForm1Window final : public TForm1DesktopView {
 public:
  // The main window's class: the single-instance guard finds a first instance by it.
  static constexpr const char* kWindowClass = "Horalux.TForm1";

  // Requires: `application`, over `toolkit`, outlives the window. Throws
  // std::runtime_error when the window cannot be made.
  TForm1Window(TApplication& application, TWin32Toolkit& toolkit);
  ~TForm1Window() override;
  TForm1Window(const TForm1Window&) = delete;
  TForm1Window& operator=(const TForm1Window&) = delete;

  // TForm1View, beyond what the desktop view does
  void SetCaption(const std::string& caption) override;
  void ShowWindow() override;
  void HideWindow() override;
  void AddHostItem(const std::string& host) override;
  std::string HostText() override;
  void SetHostText(const std::string& text) override;
  int IntervalPosition() override;
  void SetIntervalPosition(int position) override;
  bool Checked(TCheckBox box) override;
  void SetChecked(TCheckBox box, bool checked) override;

  HWND Handle() const noexcept { return window_; }
  HWND Control(TControlId id) const { return ::GetDlgItem(window_, id); }
  // The system's pixels for a pixel of the window description (the screen's DPI / 96).
  int Scale(int pixels) const;

 protected:
  void OpenUrlWithSystem(const std::string& address) override;
  void ShowStatusText(TStatusPanel panel, const std::string& text) override;
  void ShowLogChange(std::size_t removedFromStart,
                     const std::vector<std::string>& appended) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l);
  bool HandleCommand(int id, int code);
  LRESULT ControlColor(HDC dc, HWND control, LRESULT standard);
  // The interval's label: its first part at its left, "minutes" after the up-down control,
  // whatever width the font gives the blanks between them.
  void DrawIntervalLabel(const DRAWITEMSTRUCT& item) const;

  void CreateMainWindow();
  void CreateControls();
  void CreateFonts();
  HWND Place(const TControlRow& row);

  struct TGdiDeleter {
    void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
  };
  using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, TGdiDeleter>;
  struct TWindowDeleter {
    void operator()(HWND window) const noexcept { ::DestroyWindow(window); }
  };

  // Destroyed in reverse: the components (the tray icon watches the window), the window and
  // its controls, then the fonts those used.
  TWin32Toolkit& toolkit_;
  int dpi_ = 96;
  UniqueFont font_;
  UniqueFont boldFont_;
  UniqueFont linkFont_;
  std::unique_ptr<std::remove_pointer_t<HWND>, TWindowDeleter> windowHolder_;
  HWND window_ = nullptr;
  HWND focused_ = nullptr;  // the control to give the focus back to when activated
};

}  // namespace horalux
