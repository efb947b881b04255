// TabfTrayIcon: one icon in the notification area (Shell_NotifyIconA) with a hint, an
// image taken from an image list by index, images cycled on a timer, a popup menu, click
// and double-click events, a balloon notification, and the application hidden into the
// notification area when its main window is minimised (MinimizeToTray) or from the start
// (MinimizeOnStart). The icon is added again when the taskbar is recreated (Explorer
// restarted: the registered message "TaskbarCreated").
//
// The record given to the shell has the first, 88-byte form of NOTIFYICONDATA (tip: 63
// characters); only the balloon uses the longer form that carries its texts. The shell's
// answers are ignored: a refused icon changes nothing here.
//
// Thread-safety: main thread only.
#pragma once

// windows.h first: the other system headers take its types.
#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

#include "desktop/win32/custom_timer.h"
#include "desktop/win32/image_list.h"
#include "desktop/win32/popup_menu.h"

namespace horalux {

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during a mouse action; a combination of the flags.
using TShiftState = unsigned;
enum TShiftStateFlag : TShiftState {
  ssShift = 1U << 0,
  ssAlt = 1U << 1,
  ssCtrl = 1U << 2,
  ssLeft = 1U << 3,
  ssRight = 1U << 4,
  ssMiddle = 1U << 5,
};

using TMouseEvent =
    std::function<void(TComponent& sender, TMouseButton button, TShiftState shift, int x, int y)>;

class TabfTrayIcon : public TabfCustomTimer {
 public:
  // The icon's callback message (WM_USER + 211).
  static constexpr UINT IconMessage = 1235;
  static constexpr std::size_t kHintLength = 63;
  // The first form of the record, which the shell takes from every version on.
  static constexpr DWORD kRecordSize = 88;

  // What reaches the shell; the default calls Shell_NotifyIconA. Tests record instead.
  using TShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAA& data)>;

  TabfTrayIcon(TComponent* owner, TApplication& application);
  // Removes the icon from the notification area. The main window is left as it is.
  ~TabfTrayIcon() override;

  bool CycleIcons() const noexcept { return TabfCustomTimer::Enabled(); }
  void SetCycleIcons(bool cycle) { TabfCustomTimer::SetEnabled(cycle); }
  std::uint32_t CycleInterval() const noexcept { return TabfCustomTimer::Interval(); }
  void SetCycleInterval(std::uint32_t interval) { TabfCustomTimer::SetInterval(interval); }

  // When false, mouse messages from the icon are ignored. Default true.
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled) noexcept { enabled_ = enabled; }
  // Program text, cut to its first 63 characters.
  const std::string& Hint() const noexcept { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const noexcept { return showHint_; }
  void SetShowHint(bool show);
  // Not owned; must outlive this component or be set to null first.
  TImageList* ImageList() const noexcept { return imageList_; }
  void SetImageList(TImageList* list);
  // An index outside the list shows an empty icon.
  int ImageIndex() const noexcept { return imageIndex_; }
  void SetImageIndex(int index);
  HICON Icon() const noexcept { return icon_.get(); }
  int IconID() const noexcept { return iconId_; }
  void SetIconID(int id);
  bool MinimizeToTray() const noexcept { return minimizeToTray_; }
  void SetMinimizeToTray(bool minimize) noexcept { minimizeToTray_ = minimize; }
  bool MinimizeOnStart() const noexcept { return minimizeOnStart_; }
  void SetMinimizeOnStart(bool minimize) noexcept { minimizeOnStart_ = minimize; }
  // Not owned; must outlive this component or be set to null first.
  TPopupMenu* PopupMenu() const noexcept { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu) noexcept { popupMenu_ = menu; }
  bool PopupByLeft() const noexcept { return popupByLeft_; }
  void SetPopupByLeft(bool byLeft) noexcept { popupByLeft_ = byLeft; }
  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible);

  TNotifyEvent OnMinimize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnPopupMenu;  // after the menu closed
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnCycleIcons;

  // MinimizeOnStart: keeps Run() from showing the main window and goes to the tray.
  // Visible: shows the icon.
  void Loaded() override;

  // A balloon from the icon with a warning sign: the title (63 characters at most) and the
  // text (255), both program text.
  void ShowNotification(const std::string& title, const std::string& text);

  TShellNotify ShellNotify;
  // The record as last given to the shell.
  const NOTIFYICONDATAA& IconData() const noexcept { return data_; }
  // The message the shell broadcasts when the taskbar was made anew.
  static UINT TaskbarCreatedMessage();

  // Hides the application and shows the icon, then fires OnMinimize.
  virtual void GoToTray();
  virtual void MinimizeApplication();
  virtual void RestoreApplication();
  // Opens the popup menu at the cursor, when one is set and opens by itself.
  virtual void PopupAtCursor();

 protected:
  LRESULT HandleWindowMessage(UINT message, WPARAM w, LPARAM l) override;
  // The cycle step: the next image of the list, after the last the first.
  void TickStep() override;

  virtual void FillIconData();
  virtual void ModifyIcon();
  virtual void ShowIcon();
  virtual void HideIcon();
  virtual void HandleMouseMessage(UINT mouseMessage);
  virtual void FireMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void FireMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void FireClick();
  virtual void FireDblClick();

 private:
  static LRESULT CALLBACK MainFormHook(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                       DWORD_PTR self);
  void RefreshIcon();
  void Notify(DWORD message);
  void RemoveIcon(bool restoreWindows);

  NOTIFYICONDATAA data_{};
  UniqueIcon icon_;
  std::string hint_;
  TImageList* imageList_ = nullptr;
  TPopupMenu* popupMenu_ = nullptr;
  HWND hookedForm_ = nullptr;
  DWORD flags_ = NIF_MESSAGE | NIF_TIP;
  int imageIndex_ = 0;
  int iconId_ = 0;
  bool enabled_ = true;
  bool showHint_ = true;
  bool visible_ = false;
  bool minimizeToTray_ = false;
  bool minimizeOnStart_ = false;
  bool popupByLeft_ = false;
  bool clicked_ = false;
};

}  // namespace horalux
