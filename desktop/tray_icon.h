// TabfTrayIcon: one icon in the desktop's notification area with a hint, an image taken
// from an image list by index, images cycled on the base's timer, a popup menu, click,
// double-click and mouse events, a notification from the icon, and the application hidden
// into the notification area when its main window is minimised (MinimizeToTray) or from
// the start (MinimizeOnStart). The icon is added again when the taskbar is made anew.
//
// The shell's answers are ignored: a refused icon changes nothing here. Without a
// notification area every property and event behaves the same, but the application is
// never put out of reach: minimising leaves it on the taskbar instead of hiding it, and a
// start hidden in the notification area shows the main window when none has come up
// within kTrayWait. The toolkit's tray window (toolkit.h) carries the icon and its menu
// and reports the icon's mouse messages; on a desktop that shows the menu itself, what
// happens in the menu.
//
// Thread-safety: main thread only.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "desktop/custom_timer.h"
#include "desktop/image_list.h"
#include "desktop/popup_menu.h"

namespace horalux {

// The icon could not be added to or removed from the notification area.
class EabfTrayIcon : public Exception {
  using Exception::Exception;
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TMouseMoveEvent = std::function<void(TComponent& sender, TShiftState shift, int x, int y)>;
using TMouseEvent =
    std::function<void(TComponent& sender, TMouseButton button, TShiftState shift, int x, int y)>;

class TabfTrayIcon : public TabfCustomTimer {
 public:
  // The icon's callback message (WM_USER + 211).
  static constexpr unsigned IconMessage = 1235;
  // The shell takes a tip of 64 bytes with its terminating NUL.
  static constexpr std::size_t kHintLength = 63;
  // How long a start hidden in the notification area waits for one to come up: at sign-in
  // the desktop's panel often starts after the programs it hosts.
  static constexpr std::chrono::milliseconds kTrayWait{5000};

  // Requires: application outlives this component.
  TabfTrayIcon(TComponent* owner, TApplication& application);
  // Removes the icon from the notification area. The main window is left as it is.
  ~TabfTrayIcon() override;

  // The base timer, seen as the cycling of the images. The setters throw what the
  // timer's throw.
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
  // The image shown; null when empty. Setting it copies the image.
  const TIcon* Icon() const noexcept { return icon_.get(); }
  void SetIcon(const TIcon* icon);
  // Not owned; told of its changes, and cleared when the list is destroyed.
  TImageList* ImageList() const noexcept { return imageList_; }
  void SetImageList(TImageList* list);
  // An index outside the list shows an empty icon.
  int ImageIndex() const noexcept { return imageIndex_; }
  void SetImageIndex(int index);
  int IconID() const noexcept { return iconId_; }
  void SetIconID(int id);
  bool MinimizeToTray() const noexcept { return minimizeToTray_; }
  void SetMinimizeToTray(bool minimize) noexcept { minimizeToTray_ = minimize; }
  bool MinimizeOnStart() const noexcept { return minimizeOnStart_; }
  void SetMinimizeOnStart(bool minimize) noexcept { minimizeOnStart_ = minimize; }
  // Not owned; cleared when the menu is destroyed.
  TPopupMenu* PopupMenu() const noexcept { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);
  // The menu also opens on the left button; a default item is then not played on a double
  // click.
  bool PopupByLeft() const noexcept { return popupByLeft_; }
  void SetPopupByLeft(bool byLeft) noexcept { popupByLeft_ = byLeft; }
  // Adds the icon to the notification area, or removes it. Throw EabfTrayIcon.
  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible);
  // While the window is designed; there is no designing here.
  bool VisibleOnDesigning = false;

  TNotifyEvent OnMinimize;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnPopupMenu;  // after the menu closed, before the chosen item's click
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnCycleIcons;

  // MinimizeOnStart: keeps Run() from showing the main window and goes to the tray, and
  // shows the window after kTrayWait when there is still no notification area.
  // Visible: shows the icon (the shell refuses a second add, which is ignored).
  void Loaded() override;

  // The desktop's notification from the icon: a title and a text, program text.
  void ShowNotification(const std::string& title, const std::string& text);

  // Hides the application and shows the icon, then fires OnMinimize.
  virtual void GoToTray();
  // Hides the main window; without a notification area, minimises it onto the taskbar.
  virtual void MinimizeApplication();
  virtual void RestoreApplication();
  // Opens the popup menu at the cursor, when one is set and opens by itself.
  virtual void PopupAtCursor();

 protected:
  long HandleWindowMessage(const TWindowMessage& message) override;
  // The cycle step: the next image of the list, after the last the first.
  void TickStep() override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual void FillIconData();
  virtual void ModifyIcon();
  virtual void ShowIcon();
  virtual void HideIcon();
  // The application's main window was minimised.
  virtual void AppWindowHook();

  virtual void FireMouseMove(TShiftState shift, int x, int y);
  virtual void FireMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void FireMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void FireClick();
  virtual void FireDblClick();

 private:
  // The window this component made for itself: a tray window.
  TTrayWindow& Tray() const noexcept { return static_cast<TTrayWindow&>(Window()); }
  void HandleMouseMessage(TTrayMouseMessage message);
  void HandleMenuMessage(const TWindowMessage& message);
  void FirePopupMenu();
  void ExportMenu();
  // After kTrayWait: the main window, when the application is still out of reach.
  void ShowWindowWithoutTray();
  void RefreshIcon();
  void Notify(TNotifyIconMessage message, const char* failure);
  void RemoveIcon(bool restoreWindows);

  TNotifyIconData data_;
  TChangeLink changeLink_;
  std::unique_ptr<TIcon> icon_;
  std::string hint_;
  TImageList* imageList_ = nullptr;
  TPopupMenu* popupMenu_ = nullptr;
  int imageIndex_ = 0;
  int iconId_ = 0;
  bool enabled_ = true;
  bool showHint_ = true;
  bool visible_ = false;
  bool minimizeToTray_ = false;
  bool minimizeOnStart_ = false;
  bool popupByLeft_ = false;
  bool clicked_ = false;
  bool menuOpen_ = false;        // the desktop shows the exported menu, and nothing is chosen yet
  bool popupMenuFired_ = false;  // for this use of the exported menu
  // Cleared when this component goes, for the work it left for later.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace horalux
