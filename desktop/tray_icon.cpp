#include "desktop/tray_icon.h"

#include <algorithm>

#include "base/format.h"
#include "platform/code_page.h"

namespace horalux {
namespace {

// The first 63 characters, never half of one (a surrogate pair, a character of several
// bytes); bytes the code page cannot read count one each and stay as they are.
std::string CutHint(const std::string& hint) {
  if (hint.size() <= TabfTrayIcon::kHintLength) return hint;
  const std::u16string text = DecodeCodePage(hint);
  if (text.size() <= TabfTrayIcon::kHintLength) return hint;
  std::size_t length = TabfTrayIcon::kHintLength;
  const char16_t last = text[length - 1];
  if (last >= 0xD800 && last <= 0xDBFF) --length;
  return EncodeCodePage(std::u16string_view(text).substr(0, length));
}

std::unique_ptr<TIcon> CopyOf(const TIcon* icon) {
  return icon != nullptr ? icon->Clone() : nullptr;
}

}  // namespace

TabfTrayIcon::TabfTrayIcon(TComponent* owner, TApplication& application)
    : TabfCustomTimer(owner, application, [&application](TToolkit::TWindowProcedure procedure) {
        return application.Toolkit().NewTrayWindow(std::move(procedure));
      }) {
  changeLink_.OnChange = [this] { RefreshIcon(); };
  // The base's tick handler may run: it is the cycle step, off until CycleIcons is set.
  SetCycleIcons(false);
  SetOnTimer([](TComponent&) {});
  SetCycleInterval(200);
}

TabfTrayIcon::~TabfTrayIcon() {
  *alive_ = false;
  if (visible_) RemoveIcon(false);
  if (popupMenu_ != nullptr && popupMenu_->PopupComponent == this) {
    popupMenu_->PopupComponent = nullptr;
  }
}

void TabfTrayIcon::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = CutHint(hint);
  ModifyIcon();
}

void TabfTrayIcon::SetShowHint(bool show) {
  if (show == showHint_) return;
  showHint_ = show;
  ModifyIcon();
}

void TabfTrayIcon::SetIcon(const TIcon* icon) {
  icon_ = CopyOf(icon);
  ModifyIcon();
}

void TabfTrayIcon::SetImageList(TImageList* list) {
  if (list == imageList_) return;
  if (imageList_ != nullptr) imageList_->UnRegisterChanges(changeLink_);
  imageList_ = list;
  if (list != nullptr) {
    FreeNotification(list);
    list->RegisterChanges(changeLink_);
  }
  RefreshIcon();
}

void TabfTrayIcon::SetImageIndex(int index) {
  imageIndex_ = index;
  RefreshIcon();
}

void TabfTrayIcon::SetIconID(int id) {
  if (id == iconId_) return;
  const bool wasVisible = visible_;
  SetVisible(false);
  iconId_ = id;
  SetVisible(wasVisible);
}

void TabfTrayIcon::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popupMenu_) return;
  popupMenu_ = menu;
  if (menu != nullptr) FreeNotification(menu);
  ExportMenu();
}

void TabfTrayIcon::ExportMenu() {
  menuOpen_ = false;
  Tray().ExportMenu(popupMenu_ != nullptr && popupMenu_->AutoPopup ? popupMenu_ : nullptr);
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
    Application().After(kTrayWait, [this, alive = alive_] {
      if (*alive) ShowWindowWithoutTray();
    });
  }
  if (visible_) ShowIcon();
  // The menu's items are complete now.
  ExportMenu();
}

// An application that is ending (a second instance, say) shows nothing any more.
void TabfTrayIcon::ShowWindowWithoutTray() {
  if (!Application().Terminated() && !Tray().TrayPresent()) RestoreApplication();
}

void TabfTrayIcon::Notification(TComponent* component, TOperation operation) {
  TabfCustomTimer::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == imageList_) imageList_ = nullptr;
  if (component == popupMenu_) {
    popupMenu_ = nullptr;
    ExportMenu();
  }
}

void TabfTrayIcon::RefreshIcon() {
  if (imageList_ == nullptr) return;
  icon_ = CopyOf(imageList_->GetIcon(imageIndex_));
  ModifyIcon();
}

void TabfTrayIcon::FillIconData() {
  data_.id = iconId_;
  data_.icon = icon_.get();
  data_.tip = showHint_ ? hint_ : std::string();
  data_.title = Application().Title();
}

// The shell's answer is ignored; only a failure to make the call counts.
void TabfTrayIcon::Notify(TNotifyIconMessage message, const char* failure) {
  try {
    FillIconData();
    Tray().NotifyIcon(message, data_);
  } catch (const std::exception&) {
    if (failure == nullptr) throw;
    throw EabfTrayIcon(Fmt(failure, {Name()}));
  }
}

void TabfTrayIcon::ModifyIcon() { Notify(TNotifyIconMessage::Modify, nullptr); }

void TabfTrayIcon::ShowIcon() {
  data_.flags |= nifIcon;
  Notify(TNotifyIconMessage::Add, "%s.InsertToTray failed");
  visible_ = true;
  Fire(OnShow, *this);
}

void TabfTrayIcon::HideIcon() { RemoveIcon(true); }

// Taking the icon away gives the user the window back, unless this component is being
// destroyed (a window flashing up at the end would only be noise) or only puts its icon
// back into a taskbar made anew.
void TabfTrayIcon::RemoveIcon(bool restoreWindows) {
  data_.flags &= ~static_cast<unsigned>(nifIcon);
  Notify(TNotifyIconMessage::Delete, "%s.DeleteFromTray failed");
  visible_ = false;
  if (!restoreWindows) return;
  Fire(OnHide, *this);
  if (minimizeToTray_) RestoreApplication();
}

void TabfTrayIcon::ShowNotification(const std::string& title, const std::string& text) {
  FillIconData();
  Tray().ShowBalloon(data_, title, text);
}

long TabfTrayIcon::HandleWindowMessage(const TWindowMessage& message) {
  switch (message.kind) {
    case TWindowMessage::IconMessage:
      if (enabled_) HandleMouseMessage(message.mouse);
      return 0;
    case TWindowMessage::QueryEndSession:
      return 1;
    case TWindowMessage::TaskbarCreated:
      // The new taskbar knows no icon: add it again, with its image and hint as they are.
      if (visible_) {
        RemoveIcon(false);
        ShowIcon();
      }
      break;
    case TWindowMessage::MainFormMinimized:
      AppWindowHook();
      return 0;
    case TWindowMessage::MenuOpened:
    case TWindowMessage::MenuItemChosen:
    case TWindowMessage::MenuClosed:
      if (enabled_) HandleMenuMessage(message);
      return 0;
    case TWindowMessage::Timer:
      break;
  }
  return TabfCustomTimer::HandleWindowMessage(message);
}

void TabfTrayIcon::HandleMouseMessage(TTrayMouseMessage message) {
  const TPoint at = Tray().CursorPos();
  const TShiftState shift = Tray().KeysHeld();
  switch (message) {
    case TTrayMouseMessage::MouseMove:
      FireMouseMove(shift, at.x, at.y);
      break;
    case TTrayMouseMessage::LButtonDown:
      FireMouseDown(mbLeft, shift | ssLeft, at.x, at.y);
      clicked_ = true;
      break;
    case TTrayMouseMessage::LButtonUp:
      FireMouseUp(mbLeft, shift | ssLeft, at.x, at.y);
      if (clicked_) FireClick();
      if (popupByLeft_) PopupAtCursor();
      clicked_ = false;
      break;
    case TTrayMouseMessage::LButtonDblClk:
      FireDblClick();
      break;
    case TTrayMouseMessage::RButtonDown:
      FireMouseDown(mbRight, shift | ssRight, at.x, at.y);
      break;
    case TTrayMouseMessage::RButtonUp:
      FireMouseUp(mbRight, shift | ssRight, at.x, at.y);
      PopupAtCursor();
      break;
    case TTrayMouseMessage::MButtonDown:
      FireMouseDown(mbMiddle, shift | ssMiddle, at.x, at.y);
      break;
    case TTrayMouseMessage::MButtonUp:
      FireMouseUp(mbMiddle, shift | ssMiddle, at.x, at.y);
      break;
  }
}

// The desktop's own menu keeps the order of one this component shows: OnPopupMenu once the
// user has chosen or closed it, then the chosen item's click. Desktops report the close
// before the choice (XFCE's panel) or after it (LXQt's), or not at all: OnPopupMenu comes
// once either way.
void TabfTrayIcon::HandleMenuMessage(const TWindowMessage& message) {
  if (popupMenu_ == nullptr) return;
  switch (message.kind) {
    case TWindowMessage::MenuOpened:
      popupMenu_->PopupComponent = this;
      menuOpen_ = true;
      popupMenuFired_ = false;
      return;
    case TWindowMessage::MenuClosed:
      if (menuOpen_ && !popupMenuFired_) FirePopupMenu();
      menuOpen_ = false;
      return;
    default:
      break;
  }
  menuOpen_ = false;
  const auto& items = popupMenu_->Items();
  if (message.item < 0 || static_cast<std::size_t>(message.item) >= items.size()) return;
  popupMenu_->PopupComponent = this;
  if (!popupMenuFired_) FirePopupMenu();
  popupMenuFired_ = false;  // the next choice is another use of the menu
  if (popupMenu_ != nullptr) popupMenu_->Click(static_cast<std::size_t>(message.item));
}

void TabfTrayIcon::FirePopupMenu() {
  popupMenuFired_ = true;
  Fire(OnPopupMenu, *this);
}

void TabfTrayIcon::FireMouseMove(TShiftState shift, int x, int y) {
  Fire(OnMouseMove, *this, shift, x, y);
}

void TabfTrayIcon::FireMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  Fire(OnMouseDown, *this, button, shift, x, y);
}

void TabfTrayIcon::FireMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  Fire(OnMouseUp, *this, button, shift, x, y);
}

void TabfTrayIcon::FireClick() { Fire(OnClick, *this); }

// With a menu that opens by itself and not by the left button, a double click plays the
// menu's first default item before the event.
void TabfTrayIcon::FireDblClick() {
  if (popupMenu_ != nullptr && popupMenu_->AutoPopup && !popupByLeft_) {
    const auto& items = popupMenu_->Items();
    const auto found =
        std::find_if(items.begin(), items.end(), [](auto& item) { return item.Default; });
    if (found != items.end()) popupMenu_->Click(static_cast<std::size_t>(found - items.begin()));
  }
  Fire(OnDblClick, *this);
}

// The menu stays open until the user chooses or clicks elsewhere; the chosen item's click
// comes after the menu closed and OnPopupMenu ran, as a command the menu left behind.
void TabfTrayIcon::PopupAtCursor() {
  if (popupMenu_ == nullptr || !popupMenu_->AutoPopup) return;
  const TPoint at = Tray().CursorPos();
  Application().ProcessMessages();
  popupMenu_->PopupComponent = this;
  const int chosen = Tray().TrackPopupMenu(*popupMenu_, at);
  Fire(OnPopupMenu, *this);
  if (chosen >= 0 && popupMenu_ != nullptr) popupMenu_->Click(static_cast<std::size_t>(chosen));
}

void TabfTrayIcon::TickStep() {
  if (imageList_ != nullptr) {
    SetImageIndex(imageIndex_ < imageList_->Count() - 1 ? imageIndex_ + 1 : 0);
  }
  Fire(OnCycleIcons, *this);
}

void TabfTrayIcon::AppWindowHook() {
  if (minimizeToTray_) GoToTray();
}

void TabfTrayIcon::GoToTray() {
  MinimizeApplication();
  SetVisible(true);
  Fire(OnMinimize, *this);
}

void TabfTrayIcon::MinimizeApplication() {
  TToolkit& toolkit = Application().Toolkit();
  if (!toolkit.MainFormVisible()) return;
  if (Tray().TrayPresent()) {
    toolkit.HideMainForm();
  } else {
    toolkit.MinimizeMainForm();
  }
}

void TabfTrayIcon::RestoreApplication() { Application().Toolkit().ShowMainForm(); }

}  // namespace horalux
