#include "desktop/qt/tray_icon.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QWidget>
#include <utility>

#include "desktop/qt/ui_trace.h"

namespace horalux {
namespace {

// The shell takes a tip of 64 bytes with its terminating NUL.
constexpr int kMaxHintLength = 63;

QString CutHint(const QString& hint) {
  if (hint.size() <= kMaxHintLength) return hint;
  QString cut = hint.left(kMaxHintLength);
  if (cut.back().isHighSurrogate()) cut.chop(1);  // never half a character
  return cut;
}

TShiftState CurrentShiftState() {
  const Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers();
  TShiftState shift = 0;
  if (keys & Qt::ShiftModifier) shift |= ssShift;
  if (keys & Qt::AltModifier) shift |= ssAlt;
  if (keys & Qt::ControlModifier) shift |= ssCtrl;
  return shift;
}

QAction* DefaultItem(QMenu& menu) {
  QAction* item = menu.defaultAction();
  return item != nullptr && menu.actions().contains(item) ? item : nullptr;
}

}  // namespace

// Stands in for the hook on the application window: sees the events of whatever widget
// is the application's main window at the moment, also one set after this component.
class TabfTrayIcon::WindowHook : public QObject {
 public:
  explicit WindowHook(TabfTrayIcon& tray) : tray_(tray) { qApp->installEventFilter(this); }
  ~WindowHook() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    QWidget* form = tray_.Application().MainForm();
    if (form != nullptr && watched == form) tray_.AppWindowHook(*form, *event);
    return false;
  }

 private:
  TabfTrayIcon& tray_;
};

TabfTrayIcon::TabfTrayIcon(TComponent* owner, TApplication& application)
    : TabfCustomTimer(owner, application),
      trayIcon_(std::make_unique<QSystemTrayIcon>()),
      hook_(std::make_unique<WindowHook>(*this)) {
  changeLink_.OnChange = [this] { RefreshIcon(); };
  QObject::connect(trayIcon_.get(), &QSystemTrayIcon::activated, trayIcon_.get(),
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     Application().Guard([&] { HandleActivation(reason); });
                   });
  SetCycleIcons(false);
  // An empty tick handler lets the timer run; the work is the cycle step.
  SetOnTimer([](TComponent&) {});
  SetCycleInterval(200);
  ModifyIcon();
}

TabfTrayIcon::~TabfTrayIcon() {
  QObject::disconnect(popupClosed_);
  if (visible_) RemoveIcon(false);
  if (imageList_ != nullptr) imageList_->UnRegisterChanges(changeLink_);
}

void TabfTrayIcon::SetHint(const QString& hint) {
  if (hint == hint_) return;
  hint_ = CutHint(hint);
  ModifyIcon();
}

void TabfTrayIcon::SetShowHint(bool show) {
  if (show == showHint_) return;
  showHint_ = show;
  ModifyIcon();
}

void TabfTrayIcon::SetIcon(const QIcon& icon) {
  icon_ = icon;
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
  // Shown already when Visible was set while loading; showing again changes nothing.
  if (visible_) ShowIcon();
}

void TabfTrayIcon::HandleActivation(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      HandleMouseMessage(TTrayMouseMessage::LButtonDown);
      HandleMouseMessage(TTrayMouseMessage::LButtonUp);
      break;
    case QSystemTrayIcon::DoubleClick:
      HandleMouseMessage(TTrayMouseMessage::LButtonDblClk);
      break;
    case QSystemTrayIcon::Context:
      HandleMouseMessage(TTrayMouseMessage::RButtonDown);
      HandleMouseMessage(TTrayMouseMessage::RButtonUp);
      break;
    case QSystemTrayIcon::MiddleClick:
      HandleMouseMessage(TTrayMouseMessage::MButtonDown);
      HandleMouseMessage(TTrayMouseMessage::MButtonUp);
      break;
    case QSystemTrayIcon::Unknown:
      break;
  }
}

void TabfTrayIcon::HandleMouseMessage(TTrayMouseMessage message) {
  if (!enabled_) return;
  const QPoint at = QCursor::pos();
  const TShiftState shift = CurrentShiftState();
  switch (message) {
    case TTrayMouseMessage::MouseMove:
      FireMouseMove(shift, at.x(), at.y());
      break;
    case TTrayMouseMessage::LButtonDown:
      FireMouseDown(mbLeft, shift | ssLeft, at.x(), at.y());
      clicked_ = true;
      break;
    case TTrayMouseMessage::LButtonUp:
      FireMouseUp(mbLeft, shift | ssLeft, at.x(), at.y());
      if (clicked_) FireClick();
      if (popupByLeft_) PopupAtCursor();
      clicked_ = false;
      break;
    case TTrayMouseMessage::LButtonDblClk:
      FireDblClick();
      break;
    case TTrayMouseMessage::RButtonDown:
      FireMouseDown(mbRight, shift | ssRight, at.x(), at.y());
      break;
    case TTrayMouseMessage::RButtonUp:
      FireMouseUp(mbRight, shift | ssRight, at.x(), at.y());
      PopupAtCursor();
      break;
    case TTrayMouseMessage::MButtonDown:
      FireMouseDown(mbMiddle, shift | ssMiddle, at.x(), at.y());
      break;
    case TTrayMouseMessage::MButtonUp:
      FireMouseUp(mbMiddle, shift | ssMiddle, at.x(), at.y());
      break;
  }
}

void TabfTrayIcon::GoToTray() {
  MinimizeApplication();
  SetVisible(true);
  Fire(OnMinimize, *this);
}

void TabfTrayIcon::MinimizeApplication() {
  QWidget* form = Application().MainForm();
  if (form == nullptr) return;
  form->hide();
  // Hidden, the window forgets that it was minimised, so that showing it again gives
  // it back in its normal state.
  form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
}

void TabfTrayIcon::RestoreApplication() {
  QWidget* form = Application().MainForm();
  if (form == nullptr) return;
  form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
  form->show();
}

void TabfTrayIcon::PopupAtCursor() {
  QMenu* menu = popupMenu_;
  if (menu == nullptr) return;
  QObject::disconnect(popupClosed_);
  popupClosed_ = QObject::connect(menu, &QMenu::aboutToHide, trayIcon_.get(), [this] {
    QObject::disconnect(popupClosed_);
    Application().Guard([this] { Fire(OnPopupMenu, *this); });
  });
  menu->popup(QCursor::pos());
}

void TabfTrayIcon::ShowNotification(const QString& title, const QString& text) {
  qCInfo(horaluxUi) << "notification" << title << text;
  if (notificationPresenter_) {
    notificationPresenter_(title, text);
    return;
  }
  trayIcon_->showMessage(title, text, QSystemTrayIcon::Warning);
}

void TabfTrayIcon::TickStep() {
  if (imageList_ != nullptr) {
    SetImageIndex(imageIndex_ < imageList_->Count() - 1 ? imageIndex_ + 1 : 0);
  }
  Fire(OnCycleIcons, *this);
}

void TabfTrayIcon::Notification(TComponent* component, TOperation operation) {
  TabfCustomTimer::Notification(component, operation);
  if (operation == TOperation::opRemove && component == imageList_) imageList_ = nullptr;
}

void TabfTrayIcon::ModifyIcon() {
  trayIcon_->setIcon(icon_);
  trayIcon_->setToolTip(showHint_ ? hint_ : QString());
  // Qt refuses to show an icon without an image: one shown before its image arrived (the
  // image list is resolved after Visible is set) appears with the image.
  if (visible_ && !icon_.isNull() && !trayIcon_->isVisible()) trayIcon_->show();
}

void TabfTrayIcon::ShowIcon() {
  ModifyIcon();
  if (!icon_.isNull()) trayIcon_->show();
  visible_ = true;
  Fire(OnShow, *this);
}

void TabfTrayIcon::HideIcon() { RemoveIcon(true); }

// Taking the icon away gives the user the window back. Not while this component is
// destroyed at the end of the program: a window flashing up would only be noise, and
// handlers of a window being torn down must not run.
void TabfTrayIcon::RemoveIcon(bool restoreWindows) {
  trayIcon_->hide();
  visible_ = false;
  if (!restoreWindows) return;
  Fire(OnHide, *this);
  if (minimizeToTray_) RestoreApplication();
}

void TabfTrayIcon::AppWindowHook(QWidget& window, QEvent& event) {
  if (event.type() != QEvent::WindowStateChange || !minimizeToTray_ || !window.isMinimized()) {
    return;
  }
  // Later, not inside the window's own state change.
  QMetaObject::invokeMethod(
      trayIcon_.get(), [this] { Application().Guard([this] { GoToTray(); }); },
      Qt::QueuedConnection);
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

void TabfTrayIcon::FireDblClick() {
  if (popupMenu_ != nullptr && !popupByLeft_) {
    if (QAction* item = DefaultItem(*popupMenu_)) {
      item->trigger();
      Fire(OnDblClick, *this);
      return;
    }
  }
  Fire(OnDblClick, *this);
}

void TabfTrayIcon::RefreshIcon() {
  if (imageList_ == nullptr) return;
  icon_ = imageList_->GetIcon(imageIndex_);
  ModifyIcon();
}

}  // namespace horalux
