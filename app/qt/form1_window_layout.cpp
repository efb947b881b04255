// The window's controls from the window's table (app/form1_window_table.h), with what
// only Qt needs besides: the spin box that is the edit and its up-down control in one,
// the buddies of the labels' mnemonics, and the widgets' own settings.
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

#include "app/form1_window_table.h"
#include "app/qt/form1_window.h"
#include "app/qt/spaced_label.h"
#include "app/qt/url_label.h"
#include "app/qt/window_font.h"

namespace horalux {
namespace {

void SetGeometry(QWidget* control, const TPlace& place) {
  control->setGeometry(place.left, place.top, place.width, place.height);
}

// Caption, font, alignment and default button, as far as the row's control has them.
void Dress(QWidget* control, const TControlRow& row) {
  const QString caption = QString::fromLatin1(row.caption);
  if (auto* box = qobject_cast<QGroupBox*>(control)) box->setTitle(caption);
  if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setText(caption);
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(caption);
    if (row.centred) label->setAlignment(Qt::AlignCenter);
  }
  if (auto* button = qobject_cast<QPushButton*>(control)) {
    if (row.name == kDefaultButton)
      button->setDefault(true);
    else
      button->setAutoDefault(false);  // only dialogs have one, and Enter presses it
  }
  if (!row.bold) return;
  QFont bold = control->font();
  bold.setBold(true);
  control->setFont(bold);
}

// The row's control, a child of the window or of its group box.
template <class T>
T* Place(QWidget* window, std::string_view name) {
  const TControlRow& row = Form1Control(name);
  QWidget* parent =
      row.parent.empty() ? window : window->findChild<QWidget*>(QString::fromLatin1(row.parent));
  auto* control = new T(parent);  // owned by its parent widget
  control->setObjectName(QString::fromLatin1(row.name));
  SetGeometry(control, row.place);
  Dress(control, row);
  return control;
}

QLabel* MakePanel(QWidget* bar, const char* name, int left, int width, Qt::Alignment align) {
  auto* panel = new QLabel(bar);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setGeometry(left, 0, width, bar->height());
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setAlignment(align | Qt::AlignVCenter);
  return panel;
}

}  // namespace

void TForm1Window::CreateControls() {
  setObjectName(QStringLiteral("Form1"));
  setFixedSize(kForm1ClientWidth, kForm1ClientHeight);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(WindowFont());

  GroupBox2 = Place<QGroupBox>(this, "GroupBox2");
  Label1 = Place<QLabel>(this, "Label1");
  Label2 = Place<TSpacedLabel>(this, "Label2");
  edInterval = Place<QSpinBox>(this, "edInterval");
  TPlace spin = Form1Control("edInterval").place;
  spin.width += Form1Control("UpDown").place.width;
  SetGeometry(edInterval, spin);
  edInterval->setRange(kIntervalRange.minimum, kIntervalRange.maximum);
  edInterval->setSingleStep(kIntervalRange.step);
  edInterval->setWrapping(false);
  edInterval->setGroupSeparatorShown(true);
  edInterval->setValue(kIntervalRange.position);
  ckStartup = Place<QCheckBox>(this, "ckStartup");
  ckStartup->setChecked(true);

  cbTimeHost = Place<QComboBox>(this, "cbTimeHost");
  cbTimeHost->setEditable(true);
  cbTimeHost->setInsertPolicy(QComboBox::NoInsert);
  // Qt cuts an edit's text at 32,767 characters: a longer host would be saved cut.
  cbTimeHost->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  Label1->setBuddy(cbTimeHost);
  Label2->setBuddy(edInterval);

  btSync = Place<QPushButton>(this, "btSync");
  GroupBox1 = Place<QGroupBox>(this, "GroupBox1");
  ckServer = Place<QCheckBox>(this, "ckServer");

  Log = Place<QPlainTextEdit>(this, "Log");
  Log->setReadOnly(true);
  // Read-only, Qt moves through text only with the mouse; the caret shows the focus.
  Log->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Log->setUndoRedoEnabled(false);  // an undo history of a log would grow without end
  Log->setLineWrapMode(QPlainTextEdit::NoWrap);
  Log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  Label7 = Place<QLabel>(this, "Label7");
  lblURL = Place<TUrlLabel>(this, "lblURL");
  lblURL->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
  lblURL->setCursor(Qt::PointingHandCursor);

  btSave = Place<QPushButton>(this, "btSave");
  btHide = Place<QPushButton>(this, "btHide");

  StatusBar = Place<QWidget>(this, "StatusBar");
  StatusPanel0 = MakePanel(StatusBar, "StatusPanel0", 0, kStatusPanelWidth, Qt::AlignLeft);
  StatusPanel1 = MakePanel(StatusBar, "StatusPanel1", kStatusPanelWidth,
                           kForm1ClientWidth - kStatusPanelWidth, Qt::AlignRight);

  QWidget* previous = nullptr;
  for (const TControlRow& row : kForm1Controls) {
    if (!row.tabStop) continue;
    QWidget* control = findChild<QWidget*>(QString::fromLatin1(row.name));
    if (previous != nullptr) setTabOrder(previous, control);
    previous = control;
  }
  btHide->setFocus();
}

}  // namespace horalux
