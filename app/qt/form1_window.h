// TForm1Window: the Qt view of TForm1 on Linux. It creates the controls of the window
// description (form1_window_layout.cpp) and the desktop components (image list, timers,
// tray icon, popup menu, single-instance guard), shows what the controller tells it, and
// passes its events to the controller's handlers. It decides nothing itself.
//
// Thread-safety: main thread only, except Post.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "app/form1_view.h"
#include "app/qt/locale_text.h"
#include "base/component.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace horalux {

class TApplication;
class TImageList;
class TabfOneInstance;
class TabfTrayIcon;
class TUrlLabel;

class TForm1Window final : public QDialog, public TForm1View {
 public:
  // Requires: `application` outlives the window. Program text is shown through `text`.
  explicit TForm1Window(TApplication& application, LocaleText text = LocaleText::User());
  ~TForm1Window() override;

  // TForm1View
  void Bind(TForm1& form) override;
  void Unbind() override;
  void Loaded() override;
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
  void SetStatusText(TStatusPanel panel, const std::string& text) override;
  void ChangeLog(std::size_t removedFromStart, const std::vector<std::string>& appended) override;
  void SetWaitCursor(bool wait) override;
  void SetTrayImage(int index) override;
  void SetTrayHint(const std::string& hint) override;
  void ShowTrayNotification(const std::string& title, const std::string& text) override;
  void ShowMessage(TMessageKind kind, const std::string& caption, const std::string& text) override;
  void Terminate() override;
  void OpenUrl(const std::string& address) override;
  void Post(std::function<void()> work) override;
  void After(std::chrono::milliseconds delay, std::function<void()> work) override;

  // Opens web addresses; the desktop's default when empty (tests record instead).
  std::function<void(const std::string&)> UrlOpener;

  TabfTrayIcon& abfTrayIcon() const noexcept { return *abfTrayIcon_; }
  TabfOneInstance& abfOneInstance1() const noexcept { return *abfOneInstance1_; }
  QMenu& PopupMenu() const noexcept { return *popupMenu_; }

  // The controls, named as the window description names them.
  QGroupBox* GroupBox2 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QSpinBox* edInterval = nullptr;  // the edit and its up-down control in one
  QCheckBox* ckStartup = nullptr;
  QComboBox* cbTimeHost = nullptr;
  QPushButton* btSync = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QCheckBox* ckServer = nullptr;
  QPlainTextEdit* Log = nullptr;
  QLabel* Label7 = nullptr;
  TUrlLabel* lblURL = nullptr;
  QPushButton* btSave = nullptr;
  QPushButton* btHide = nullptr;
  QWidget* StatusBar = nullptr;
  QLabel* StatusPanel0 = nullptr;  // run or server status
  QLabel* StatusPanel1 = nullptr;  // date and time
  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  QAction* mnOptions = nullptr;
  QAction* N1 = nullptr;
  QAction* mnExit = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void reject() override;  // Escape does nothing

 private:
  void CreateControls();
  void CreateComponents();
  void ConnectHandlers();
  // A slot that runs the bound controller's handler under its guard; nothing once unbound.
  std::function<void()> Handler(void (TForm1::*handler)());
  QCheckBox& Box(TCheckBox box) const;

  TApplication& application_;
  LocaleText text_;
  TForm1* form_ = nullptr;
  bool shownBefore_ = false;
  TComponent components_;  // owns the components below
  TImageList* ImageList1_ = nullptr;
  TabfTrayIcon* abfTrayIcon_ = nullptr;
  std::unique_ptr<QMenu> popupMenu_;
  TabfOneInstance* abfOneInstance1_ = nullptr;
};

}  // namespace horalux
