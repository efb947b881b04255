// TForm1Window: the Qt view of TForm1 on Linux. It creates the controls of the window
// description (form1_window_layout.cpp) and, over the Qt toolkit, the window's components
// (app/form1_components.h), shows what the controller tells it, and passes its events to
// the controller's handlers. It decides nothing itself.
//
// Thread-safety: main thread only, except Post.
#pragma once

#include <QDialog>
#include <string>

#include "app/form1_desktop_view.h"
#include "desktop/qt/qt_toolkit.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace horalux {

class TUrlLabel;

class TForm1Window final : public QDialog, public TForm1DesktopView {
 public:
  // Requires: `application`, over `toolkit`, outlives the window. Program text is shown
  // through the toolkit's text.
  TForm1Window(TApplication& application, TQtToolkit& toolkit);
  ~TForm1Window() override;

  // TForm1View, beyond what the desktop view does
  void SetCaption(const std::string& caption) override;
  void ShowWindow() override;
  void AddHostItem(const std::string& host) override;
  std::string HostText() override;
  void SetHostText(const std::string& text) override;
  int IntervalPosition() override;
  void SetIntervalPosition(int position) override;
  bool Checked(TCheckBox box) override;
  void SetChecked(TCheckBox box, bool checked) override;

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

 protected:
  void OpenUrlWithSystem(const std::string& address) override;
  void ShowStatusText(TStatusPanel panel, const std::string& text) override;
  void ShowLogChange(std::size_t removedFromStart,
                     const std::vector<std::string>& appended) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void reject() override;  // Escape does nothing

 private:
  void CreateControls();
  void ConnectHandlers();
  QCheckBox& Box(TCheckBox box) const;

  const LocaleText& text_;
};

}  // namespace horalux
