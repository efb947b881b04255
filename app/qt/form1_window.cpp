#include "app/qt/form1_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <climits>

#include "app/form1.h"
#include "app/qt/tray_images.h"
#include "app/qt/url_label.h"

namespace horalux {
namespace {

// One edit: the first `removed` lines go, the new ones come at the end. The cursor is
// placed by position only: a cursor that moves by blocks lays out every block it passes.
void ChangeLines(QPlainTextEdit& edit, const LocaleText& programText, std::size_t removed,
                 const std::vector<std::string>& appended) {
  QTextDocument& document = *edit.document();
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  if (removed > 0) {
    const QTextBlock kept = document.findBlockByNumber(static_cast<int>(removed));
    cursor.setPosition(kept.isValid() ? kept.position() : document.characterCount() - 1,
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  QString text;
  for (const std::string& line : appended) {
    if (!text.isEmpty() || !document.isEmpty()) text += QLatin1Char('\n');
    text += programText.ToQString(line);
  }
  cursor.setPosition(document.characterCount() - 1);
  cursor.insertText(text);
  cursor.endEditBlock();
}

// The newest line from its start, with the caret there: a long line must not leave the
// view scrolled sideways. The view goes all the way down, so that it counts as at the end
// when the next lines come.
void ShowStartOfLastLine(QPlainTextEdit& edit) {
  QTextCursor cursor(edit.document());
  cursor.setPosition(edit.document()->lastBlock().position());
  edit.setTextCursor(cursor);
  edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
  edit.horizontalScrollBar()->setValue(0);
}

// Whole in view, as the keys leave the caret's line; the scroll bar may not be at its end.
bool NewestLineInView(const QPlainTextEdit& edit) {
  QTextCursor last(edit.document());
  last.setPosition(edit.document()->lastBlock().position());
  const QRect line = edit.cursorRect(last);
  return line.top() >= 0 && line.bottom() < edit.viewport()->height();
}

}  // namespace

TForm1Window::TForm1Window(TApplication& application, TQtToolkit& toolkit)
    : TForm1DesktopView(application), text_(toolkit.Text()) {
  CreateControls();
  toolkit.SetMainForm(this);
  CreateComponents(&AddTrayImages);
  ConnectHandlers();  // once: unbound, the handlers do nothing
}

TForm1Window::~TForm1Window() { DestroyComponents(); }

void TForm1Window::ConnectHandlers() {
  const auto slot = [this](void (TForm1::*handler)()) {
    return [this, handler] { RunHandler(handler); };
  };
  connect(btSync, &QPushButton::clicked, this, slot(&TForm1::btSyncClick));
  connect(btSave, &QPushButton::clicked, this, slot(&TForm1::btSaveClick));
  connect(btHide, &QPushButton::clicked, this, slot(&TForm1::btHideClick));
  connect(ckServer, &QCheckBox::toggled, this, slot(&TForm1::ckServerClick));
  lblURL->OnClick = slot(&TForm1::lblURLClick);
}

void TForm1Window::SetCaption(const std::string& caption) {
  setWindowTitle(text_.ToQString(caption));
}

void TForm1Window::ShowWindow() {
  Application().Toolkit().ShowMainForm();
  raise();
  activateWindow();
}

void TForm1Window::AddHostItem(const std::string& host) {
  cbTimeHost->addItem(text_.ToQString(host));
}

std::string TForm1Window::HostText() { return text_.ToBytes(cbTimeHost->currentText()); }

void TForm1Window::SetHostText(const std::string& text) {
  cbTimeHost->setEditText(text_.ToQString(text));
}

// The up-down control takes the edit's text over when it is a number within its range.
int TForm1Window::IntervalPosition() {
  edInterval->interpretText();
  return edInterval->value();
}

void TForm1Window::SetIntervalPosition(int position) { edInterval->setValue(position); }

QCheckBox& TForm1Window::Box(TCheckBox box) const {
  return box == TCheckBox::ckStartup ? *ckStartup : *ckServer;
}

bool TForm1Window::Checked(TCheckBox box) { return Box(box).isChecked(); }

void TForm1Window::SetChecked(TCheckBox box, bool checked) {
  const QSignalBlocker quiet(Box(box));
  Box(box).setChecked(checked);
}

// A panel cuts its text at its edge (a long machine name): its tooltip has it whole.
void TForm1Window::ShowStatusText(TStatusPanel panel, const std::string& text) {
  QLabel& label = panel == TStatusPanel::Run ? *StatusPanel0 : *StatusPanel1;
  label.setText(text_.ToQString(text));
  label.setToolTip(label.text());
}

// A view at the newest line follows the new ones; a user reading older lines keeps them
// in view, also when lines above them go. Without wrapping, the scroll bar counts lines.
void TForm1Window::ShowLogChange(std::size_t removedFromStart,
                                 const std::vector<std::string>& appended) {
  QScrollBar& down = *Log->verticalScrollBar();
  QScrollBar& across = *Log->horizontalScrollBar();
  const bool atEnd = NewestLineInView(*Log);
  const auto removed = static_cast<int>(std::min<std::size_t>(removedFromStart, INT_MAX));
  const int firstRead = std::max(down.value() - removed, 0);
  const int acrossRead = across.value();
  ChangeLines(*Log, text_, removedFromStart, appended);
  if (atEnd) {
    ShowStartOfLastLine(*Log);
  } else {
    down.setValue(firstRead);
    across.setValue(acrossRead);
  }
}

void TForm1Window::OpenUrlWithSystem(const std::string& address) {
  QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

// The close box ends the program: this is the main window and has nothing to hide into.
void TForm1Window::closeEvent(QCloseEvent* event) {
  event->accept();
  Application().Terminate();
}

void TForm1Window::reject() {}

void TForm1Window::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  TraceVisible(true);
}

void TForm1Window::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  TraceVisible(false);
}

}  // namespace horalux
