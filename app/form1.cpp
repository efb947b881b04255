#include "app/form1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>

#include "app/host_list.h"
#include "app/settings_store.h"
#include "app/url_label.h"
#include "desktop/application.h"
#include "desktop/image_list.h"
#include "desktop/one_instance.h"
#include "desktop/tray_icon.h"
#include "desktop/tray_images.h"
#include "desktop/ui_trace.h"
#include "net/anti_freeze.h"
#include "timeproto/time_client.h"
#include "timeproto/time_server.h"

namespace horalux {
namespace {

constexpr int kTimeServerMaxConnections = 20;

LocaleText TextOf(const Form1Environment& environment) {
  if (environment.textCodeset.empty()) return LocaleText::User();
  return LocaleText(environment.textCodeset);
}

}  // namespace

TForm1::TForm1(Form1Environment environment)
    : env_(std::move(environment)), text_(TextOf(env_)), formats_(QLocale::system(), text_) {
  CreateControls();
  CreateComponents();
  ResolveReferences();
  ConnectHandlers();
  RunAfterLoadingSteps();
  FormCreate();
}

TForm1::~TForm1() { env_.application->OnTerminate = nullptr; }

void TForm1::CreateComponents() {
  TApplication& application = *env_.application;
  application.SetMainForm(this);
  application.OnTerminate = [this] { AbortRun(); };

  ImageList1_ = &MakeComponent<TImageList>(components_);
  AddTrayImages(*ImageList1_);

  idTime_ = &MakeComponent<TIdTime>(components_);
  idTime_->Port = env_.timeClientPort;
  idTime_->ReadTimeout = 2500;
  idTime_->RecvBufferSize = 1024;
  idTime_->BaseDate = 2;
  idTime_->LocalClock = env_.localClock;

  idTimeServer_ = &MakeComponent<TIdTimeServer>(components_);
  idTimeServer_->SetDefaultPort(env_.timeServerPort);
  idTimeServer_->MaxConnections = kTimeServerMaxConnections;
  idTimeServer_->BaseDate = 2;
  idTimeServer_->OnConnect = [this](TIdPeerThread& thread) { IdTimeServerConnect(thread); };

  idAntiFreeze_ = &MakeComponent<TIdAntiFreeze>(components_);

  Timer1 = new QTimer(this);  // owned by the window
  Timer1->setInterval(1000);

  abfTrayIcon_ = &MakeComponent<TabfTrayIcon>(components_, application);
  abfTrayIcon_->SetName("abfTrayIcon");
  abfTrayIcon_->SetMinimizeToTray(true);
  abfTrayIcon_->SetMinimizeOnStart(true);
  abfTrayIcon_->SetVisible(true);
  abfTrayIcon_->SetShowHint(true);
  abfTrayIcon_->OnDblClick = [this](TComponent&) { abfTrayIconDblClick(); };

  Timer2 = new QTimer(this);  // owned by the window
  Timer2->setInterval(60000);

  popupMenu_ = std::make_unique<QMenu>();
  mnOptions = popupMenu_->addAction(QStringLiteral("Options ..."));
  N1 = popupMenu_->addSeparator();
  mnExit = popupMenu_->addAction(QStringLiteral("Exit"));

  abfOneInstance1_ = &MakeComponent<TabfOneInstance>(components_, application);
}

void TForm1::ResolveReferences() {
  abfTrayIcon_->SetImageList(ImageList1_);
  abfTrayIcon_->SetImageIndex(0);
  abfTrayIcon_->SetPopupMenu(popupMenu_.get());
}

void TForm1::ConnectHandlers() {
  TApplication& app = *env_.application;
  connect(btSync, &QPushButton::clicked, this, app.Guarded([this] { btSyncClick(); }));
  connect(btSave, &QPushButton::clicked, this, app.Guarded([this] { btSaveClick(); }));
  connect(btHide, &QPushButton::clicked, this, app.Guarded([this] { btHideClick(); }));
  connect(ckServer, &QCheckBox::toggled, this, app.Guarded([this] { ckServerClick(); }));
  connect(mnOptions, &QAction::triggered, this, app.Guarded([this] { mnOptionsClick(); }));
  connect(mnExit, &QAction::triggered, this, app.Guarded([this] { mnExitClick(); }));
  connect(Timer1, &QTimer::timeout, this, app.Guarded([this] { Timer1Timer(); }));
  connect(Timer2, &QTimer::timeout, this, app.Guarded([this] { Timer2Timer(); }));
  lblURL->OnClick = [this, &app] { app.Guard([this] { lblURLClick(); }); };
  Timer1->start();
  Timer2->start();
}

void TForm1::RunAfterLoadingSteps() {
  abfTrayIcon_->Loaded();
  abfOneInstance1_->Loaded();
}

void TForm1::FormCreate() {
  setWindowTitle(env_.application->Title());
  StatusPanel1->setText(text_.ToQString(formats_.DateTimeText(env_.localClock())));
  abfTrayIcon_->SetHint(QStringLiteral("Horalux"));
  try {
    for (const std::string& host : ReadHostList(env_.hostListPath)) {
      cbTimeHost->addItem(text_.ToQString(host));
    }
    ReadSettings();
  } catch (const std::exception&) {
    ShowMainWindow();
    ShowStartupWarning();
  }
}

void TForm1::ReadSettings() {
  const SettingsStore settings(*env_.store);
  cbTimeHost->setEditText(text_.ToQString(settings.ReadString(kHostValue)));
  if (cbTimeHost->currentText().isEmpty()) {
    ShowMainWindow();
    return;
  }
  edInterval->setValue(IntervalFromRegistry(settings.ReadInteger(kIntervalValue)));
  SetChecked(*ckStartup, settings.ReadBool(kSyncOnStartupValue));
  SetChecked(*ckServer, settings.ReadBool(kStartServerValue));
  if (ckStartup->isChecked()) btSyncClick();
  if (ckServer->isChecked()) idTimeServer_->SetActive(true);
}

// Setting a check box from code raises its click handler as a user's click would; the
// handler runs here, so that its failure belongs to the caller.
void TForm1::SetChecked(QCheckBox& box, bool checked) {
  if (box.isChecked() == checked) return;
  {
    const QSignalBlocker quiet(box);
    box.setChecked(checked);
  }
  if (&box == ckServer) ckServerClick();
}

void TForm1::ShowMainWindow() {
  if (!shownBefore_) {
    // The first time at the centre of the desktop; afterwards wherever the user put it.
    shownBefore_ = true;
    if (const QScreen* desktop = screen()) {
      move(desktop->availableGeometry().center() - frameGeometry().center() + pos());
    }
  }
  show();
  raise();
  activateWindow();
}

void TForm1::ShowStartupWarning() {
  env_.application->MessageBox(
      QMessageBox::Warning, QStringLiteral("Warnung"),
      QStringLiteral("Error while reading settings.\r\nPlease install Horalux again."));
}

void TForm1::btSaveClick() {
  SettingsStore settings(*env_.store);
  // One atomic replace for all four: a kill in between never mixes old and new values.
  settings.BeginWrites();
  settings.WriteString(kHostValue, HostText());
  edInterval->interpretText();
  settings.WriteInteger(kIntervalValue,
                        IntervalToRegistry(static_cast<std::int16_t>(edInterval->value())));
  settings.WriteBool(kSyncOnStartupValue, ckStartup->isChecked());
  settings.WriteBool(kStartServerValue, ckServer->isChecked());
  settings.CommitWrites();
}

std::string TForm1::HostText() const { return text_.ToBytes(cbTimeHost->currentText()); }

void TForm1::btHideClick() { hide(); }

void TForm1::abfTrayIconDblClick() { ShowMainWindow(); }

void TForm1::mnOptionsClick() { ShowMainWindow(); }

void TForm1::mnExitClick() { env_.application->Terminate(); }

void TForm1::ckServerClick() { idTimeServer_->SetActive(ckServer->isChecked()); }

void TForm1::lblURLClick() {
  const QUrl address(QString::fromLatin1(kWebAddress));
  if (env_.openUrl) {
    env_.openUrl(address);
  } else {
    QDesktopServices::openUrl(address);
  }
}

// The close box ends the program: this is the main window and has nothing to hide into.
void TForm1::closeEvent(QCloseEvent* event) {
  event->accept();
  env_.application->Terminate();
}

void TForm1::reject() {}

void TForm1::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  qCInfo(horaluxUi) << "window shown";
}

void TForm1::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  qCInfo(horaluxUi) << "window hidden";
}

}  // namespace horalux
