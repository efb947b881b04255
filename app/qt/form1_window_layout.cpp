// The window's controls: captions, positions (left, top, width, height in pixels of the
// window's client area or of their group box), mnemonics and tab order.
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <limits>

#include "app/form1.h"
#include "app/qt/form1_window.h"
#include "app/qt/spaced_label.h"
#include "app/qt/url_label.h"
#include "app/qt/window_font.h"

namespace horalux {
namespace {

constexpr const char* kIntervalCaption = "Synchronize time &every                     minutes";
constexpr int kClientWidth = 329;
constexpr int kClientHeight = 361;

template <class T>
T* Place(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* control = new T(parent);  // owned by its parent widget
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(left, top, width, height);
  return control;
}

QLabel* MakePanel(QWidget* bar, const char* name, int left, int width, Qt::Alignment align) {
  QLabel* panel = Place<QLabel>(bar, name, left, 0, width, 19);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setAlignment(align | Qt::AlignVCenter);
  return panel;
}

void MakePlainButton(QPushButton* button) {
  button->setAutoDefault(false);
  button->setDefault(false);
}

constexpr int kCheckIndicator = 20;  // the box and its gap before a check box's text
constexpr int kButtonMargin = 8;

// Each caption with the room its control leaves for it, by the window description's
// geometry. The interval edit splits Label2: its first part ends where the edit begins
// (122), its last part starts where the edit's arrows end (176).
std::vector<CaptionRoom> Captions() {
  const auto [every, minutes] = TSpacedLabel::Parts(QString::fromLatin1(kIntervalCaption));
  return {
      {QStringLiteral("Get time &from"),
       85 - 16 - 2},  // up to the host box, which is not its parent
      {every, 122 - 8 - 2},
      {minutes, 8 + 208 - 176 - 2},
      {QStringLiteral("Synchronize &time when Horalux starts"), 241 - kCheckIndicator},
      {QStringLiteral("&Other Clients can get the time from this machine"), 273 - kCheckIndicator},
      {QStringLiteral("Sync &Now"), 73 - kButtonMargin},
      {QStringLiteral("&Save Settings"), 81 - kButtonMargin},
      {QStringLiteral("Horalux 1.0"), 129, true},
      {QString::fromLatin1(TForm1::kWebAddressShown), 129},
  };
}

}  // namespace

void TForm1Window::CreateControls() {
  setObjectName(QStringLiteral("Form1"));
  setFixedSize(kClientWidth, kClientHeight);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  const QFont font = WindowFont(Captions());
  setFont(font);

  GroupBox2 = Place<QGroupBox>(this, "GroupBox2", 8, 8, 313, 105);
  GroupBox2->setTitle(QStringLiteral("NTP Client"));
  Label1 = Place<QLabel>(GroupBox2, "Label1", 8, 18, 62, 13);
  Label1->setText(QStringLiteral("Get time &from"));
  Label2 = Place<TSpacedLabel>(GroupBox2, "Label2", 8, 50, 208, 13);
  Label2->setText(QString::fromLatin1(kIntervalCaption));
  edInterval = Place<QSpinBox>(GroupBox2, "edInterval", 122, 48, 54, 21);
  edInterval->setRange(0, 9999);
  edInterval->setSingleStep(15);
  edInterval->setWrapping(false);
  edInterval->setGroupSeparatorShown(true);
  edInterval->setValue(300);
  ckStartup = Place<QCheckBox>(GroupBox2, "ckStartup", 8, 80, 241, 17);
  ckStartup->setText(QStringLiteral("Synchronize &time when Horalux starts"));
  ckStartup->setChecked(true);

  cbTimeHost = Place<QComboBox>(this, "cbTimeHost", 85, 24, 228, 21);
  cbTimeHost->setEditable(true);
  cbTimeHost->setInsertPolicy(QComboBox::NoInsert);
  // Qt cuts an edit's text at 32,767 characters: a longer host would be saved cut.
  cbTimeHost->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  Label1->setBuddy(cbTimeHost);
  Label2->setBuddy(edInterval);

  btSync = Place<QPushButton>(this, "btSync", 240, 78, 73, 25);
  btSync->setText(QStringLiteral("Sync &Now"));
  GroupBox1 = Place<QGroupBox>(this, "GroupBox1", 8, 128, 313, 57);
  GroupBox1->setTitle(QStringLiteral("NTP Server"));
  ckServer = Place<QCheckBox>(this, "ckServer", 16, 152, 273, 17);
  ckServer->setText(QStringLiteral("&Other Clients can get the time from this machine"));

  Log = Place<QPlainTextEdit>(this, "Log", 8, 200, 313, 89);
  Log->setReadOnly(true);
  // Read-only, Qt moves through text only with the mouse; the caret shows the focus.
  Log->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Log->setUndoRedoEnabled(false);  // an undo history of a log would grow without end
  Log->setLineWrapMode(QPlainTextEdit::NoWrap);
  Log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  Label7 = Place<QLabel>(this, "Label7", 104, 302, 129, 13);
  Label7->setText(QStringLiteral("Horalux 1.0"));
  Label7->setAlignment(Qt::AlignCenter);
  QFont bold = font;
  bold.setBold(true);
  Label7->setFont(bold);
  lblURL = Place<TUrlLabel>(this, "lblURL", 104, 318, 129, 13);
  lblURL->setText(QString::fromLatin1(TForm1::kWebAddressShown));
  lblURL->setAlignment(Qt::AlignCenter);
  lblURL->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
  lblURL->setCursor(Qt::PointingHandCursor);

  btSave = Place<QPushButton>(this, "btSave", 8, 304, 81, 25);
  btSave->setText(QStringLiteral("&Save Settings"));
  btHide = Place<QPushButton>(this, "btHide", 248, 304, 75, 25);
  btHide->setText(QStringLiteral("&Hide"));
  MakePlainButton(btSync);
  MakePlainButton(btSave);
  btHide->setDefault(true);

  StatusBar = Place<QWidget>(this, "StatusBar", 0, 342, kClientWidth, 19);
  StatusPanel0 = MakePanel(StatusBar, "StatusPanel0", 0, 200, Qt::AlignLeft);
  StatusPanel1 = MakePanel(StatusBar, "StatusPanel1", 200, kClientWidth - 200, Qt::AlignRight);

  // The window description's tab order: the Hide button first, then the host box, the
  // client group (interval, start-up box), the buttons and boxes below.
  setTabOrder(btHide, cbTimeHost);
  setTabOrder(cbTimeHost, edInterval);
  setTabOrder(edInterval, ckStartup);
  setTabOrder(ckStartup, btSync);
  setTabOrder(btSync, ckServer);
  setTabOrder(ckServer, Log);
  setTabOrder(Log, btSave);
  btHide->setFocus();
}

}  // namespace horalux
