// TabfTrayIcon: one icon in the desktop's notification area (a QSystemTrayIcon) with a
// hint, an image taken from an image list by index, images cycled on a timer, a popup
// menu, click and double-click events, and the application hidden into the notification
// area when its main window is minimised (MinimizeToTray) or from the start
// (MinimizeOnStart).
//
// Nothing here depends on a notification area being present: without one the Qt calls do
// nothing and every property and event behaves the same. Mouse actions arrive through
// HandleActivation (which the QSystemTrayIcon's signal calls) or HandleMouseMessage.
//
// Thread-safety: main thread only. Requires: a QApplication exists.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <cstdint>
#include <memory>

#include "desktop/qt/custom_timer.h"
#include "desktop/qt/image_list.h"

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

using TMouseMoveEvent = std::function<void(TComponent& sender, TShiftState shift, int x, int y)>;
using TMouseEvent =
    std::function<void(TComponent& sender, TMouseButton button, TShiftState shift, int x, int y)>;

// The mouse messages of a notification-area icon.
enum class TTrayMouseMessage {
  MouseMove,
  LButtonDown,
  LButtonUp,
  LButtonDblClk,
  RButtonDown,
  RButtonUp,
  MButtonDown,
  MButtonUp,
};

class TabfTrayIcon : public TabfCustomTimer {
 public:
  TabfTrayIcon(TComponent* owner, TApplication& application);
  // Removes the icon from the notification area. The main window is left as it is.
  ~TabfTrayIcon() override;

  // The base timer, seen as the cycling of the images. The setters throw what the
  // timer's throw.
  bool CycleIcons() const noexcept { return TabfCustomTimer::Enabled(); }
  void SetCycleIcons(bool cycle) { TabfCustomTimer::SetEnabled(cycle); }
  std::uint32_t CycleInterval() const noexcept { return TabfCustomTimer::Interval(); }
  void SetCycleInterval(std::uint32_t interval) { TabfCustomTimer::SetInterval(interval); }

  // When false, mouse actions on the icon are ignored. Default true.
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled) noexcept { enabled_ = enabled; }
  // Cut to its first 63 characters.
  const QString& Hint() const noexcept { return hint_; }
  void SetHint(const QString& hint);
  bool ShowHint() const noexcept { return showHint_; }
  void SetShowHint(bool show);
  const QIcon& Icon() const noexcept { return icon_; }
  void SetIcon(const QIcon& icon);
  // Not owned; cleared when the list is destroyed.
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
  // Not owned; cleared when the menu is destroyed. A double click plays the menu's
  // default action (QMenu::defaultAction) when it has one and PopupByLeft is false.
  QMenu* PopupMenu() const noexcept { return popupMenu_; }
  void SetPopupMenu(QMenu* menu) noexcept { popupMenu_ = menu; }
  bool PopupByLeft() const noexcept { return popupByLeft_; }
  void SetPopupByLeft(bool byLeft) noexcept { popupByLeft_ = byLeft; }
  // Adds the icon to the notification area, or removes it (Qt's calls report no failure).
  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible);

  TNotifyEvent OnMinimize;
  TMouseMoveEvent OnMouseMove;
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

  // A mouse action that the notification area reports, as mouse messages: a click is a
  // left press and release, a double click only the double click (Qt reports the click
  // before it), the context request a right press and release. Nothing while disabled.
  void HandleActivation(QSystemTrayIcon::ActivationReason reason);
  void HandleMouseMessage(TTrayMouseMessage message);

  // Hides the application and shows the icon, then fires OnMinimize.
  virtual void GoToTray();
  virtual void MinimizeApplication();
  virtual void RestoreApplication();
  // Opens the popup menu at the cursor, when one is set.
  virtual void PopupAtCursor();

  // A warning from the icon as the desktop shows notifications (the notification area's
  // message). Shows nothing where there is no notification area.
  void ShowNotification(const QString& title, const QString& text);
  // Tests record what would have been shown; empty: shown by the icon.
  using TNotificationPresenter = std::function<void(const QString& title, const QString& text)>;
  void SetNotificationPresenter(TNotificationPresenter presenter) {
    notificationPresenter_ = std::move(presenter);
  }

  // The Qt icon behind this component, for what these properties do not cover.
  QSystemTrayIcon& SystemTrayIcon() const noexcept { return *trayIcon_; }

 protected:
  // The cycle step: the next image of the list, after the last the first.
  void TickStep() override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual void ModifyIcon();
  virtual void ShowIcon();
  virtual void HideIcon();
  // Sees every event of the application's main window.
  virtual void AppWindowHook(QWidget& window, QEvent& event);

  virtual void FireMouseMove(TShiftState shift, int x, int y);
  virtual void FireMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void FireMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void FireClick();
  virtual void FireDblClick();

 private:
  class WindowHook;

  void RefreshIcon();
  void RemoveIcon(bool restoreWindows);

  std::unique_ptr<QSystemTrayIcon> trayIcon_;
  std::unique_ptr<WindowHook> hook_;
  TChangeLink changeLink_;
  QIcon icon_;
  QString hint_;
  TImageList* imageList_ = nullptr;
  QPointer<QMenu> popupMenu_;
  QMetaObject::Connection popupClosed_;
  TNotificationPresenter notificationPresenter_;
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
