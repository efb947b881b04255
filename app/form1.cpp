#include "app/form1.h"

#include "app/host_list.h"
#include "app/settings_store.h"
#include "desktop/error_box_text.h"
#include "net/anti_freeze.h"
#include "timeproto/time_client.h"
#include "timeproto/time_server.h"
#include "timeproto/time_value.h"

namespace horalux {
namespace {

constexpr int kTimeServerMaxConnections = 20;
constexpr const char* kStartupWarning =
    "Error while reading settings.\r\nPlease install Horalux again.";

// The mirror's writer thread formats the stamps of incoming lines with formats of its own.
TLogMirror::TimeText MirrorTimeText(const TDateTimeFormats& formats) {
  auto texts = std::make_shared<TTimeTexts>(formats.Clone());
  return [texts](TDateTime when) { return (*texts)(when); };
}

}  // namespace

TForm1::TForm1(TForm1View& view, TForm1Environment environment)
    : view_(view),
      env_(std::move(environment)),
      timeTexts_(env_.formats->Clone()),
      mirror_(incoming_, MirrorTimeText(*env_.formats), env_.mirrorDescriptor),
      serverFailures_(env_.mirrorDescriptor) {
  log_.SetListener([this](std::size_t removed, const std::vector<std::string>& appended) {
    view_.ChangeLog(removed, appended);
  });
  CreateComponents();
  view_.Bind(*this);
  view_.Loaded();
  FormCreate();
}

// The components go first (declared last), so the server stops while the log and its
// mirror are whole; the mirror then writes what its lines still hold.
TForm1::~TForm1() { view_.Unbind(); }

void TForm1::CreateComponents() {
  idTime_ = &MakeComponent<TIdTime>(components_);
  idTime_->Port = env_.timeClientPort;
  idTime_->ReadTimeout = 2500;
  idTime_->RecvBufferSize = 1024;
  idTime_->BaseDate = kRfc868BaseDate;
  idTime_->LocalClock = env_.localClock;

  idTimeServer_ = &MakeComponent<TIdTimeServer>(components_);
  idTimeServer_->SetDefaultPort(env_.timeServerPort);
  idTimeServer_->MaxConnections = kTimeServerMaxConnections;
  idTimeServer_->BaseDate = kRfc868BaseDate;
  idTimeServer_->OnConnect = [this](TIdPeerThread& thread) { IdTimeServerConnect(thread); };
  idTimeServer_->OnListenException = [this](TIdListenerThread&, const std::exception& failure) {
    serverFailures_.Report(failure);
  };

  idAntiFreeze_ = &MakeComponent<TIdAntiFreeze>(components_);
}

void TForm1::FormCreate() {
  view_.SetCaption(env_.title);
  view_.SetStatusText(TStatusPanel::DateTime, DateTimeText(*env_.formats, env_.localClock()));
  view_.SetTrayHint("Horalux");
  try {
    for (const std::string& host : ReadHostList(env_.hostListPath)) view_.AddHostItem(host);
    ReadSettings();
  } catch (const std::exception&) {
    view_.ShowWindow();
    view_.ShowMessage(TMessageKind::Warning, "Warnung", kStartupWarning);
  }
}

void TForm1::ReadSettings() {
  const TSettingsStore settings(*env_.store);
  view_.SetHostText(settings.ReadString(kHostValue));
  if (view_.HostText().empty()) {
    view_.ShowWindow();
    return;
  }
  view_.SetIntervalPosition(IntervalFromRegistry(settings.ReadInteger(kIntervalValue)));
  SetChecked(TCheckBox::ckStartup, settings.ReadBool(kSyncOnStartupValue));
  SetChecked(TCheckBox::ckServer, settings.ReadBool(kStartServerValue));
  if (view_.Checked(TCheckBox::ckStartup)) Sync(TSyncOrigin::Automatic);
  if (view_.Checked(TCheckBox::ckServer)) idTimeServer_->SetActive(true);
}

// Setting a check box from code raises its click handler as a user's click would; the
// handler runs here, so that its failure belongs to the caller.
void TForm1::SetChecked(TCheckBox box, bool checked) {
  if (view_.Checked(box) == checked) return;
  view_.SetChecked(box, checked);
  if (box == TCheckBox::ckServer) ckServerClick();
}

void TForm1::btSaveClick() {
  TSettingsStore settings(*env_.store);
  // One atomic replace for all four: a kill in between never mixes old and new values.
  settings.BeginWrites();
  settings.WriteString(kHostValue, view_.HostText());
  settings.WriteInteger(kIntervalValue,
                        IntervalToRegistry(static_cast<std::int16_t>(view_.IntervalPosition())));
  settings.WriteBool(kSyncOnStartupValue, view_.Checked(TCheckBox::ckStartup));
  settings.WriteBool(kStartServerValue, view_.Checked(TCheckBox::ckServer));
  settings.CommitWrites();
}

void TForm1::btHideClick() { view_.HideWindow(); }

void TForm1::abfTrayIconDblClick() { view_.ShowWindow(); }

void TForm1::mnOptionsClick() { view_.ShowWindow(); }

void TForm1::mnExitClick() { view_.Terminate(); }

void TForm1::ckServerClick() { idTimeServer_->SetActive(view_.Checked(TCheckBox::ckServer)); }

void TForm1::lblURLClick() { view_.OpenUrl(kWebAddress); }

// The once-a-second refresh of the status bar and the tray hint.
void TForm1::Timer1Timer() {
  if (!syncInProgress_) {
    const bool serving = idTimeServer_->Active();
    view_.SetStatusText(TStatusPanel::Run,
                        serving
                            ? " NTP Server on \"" + idTimeServer_->LocalMachineName() + "\" ready!"
                            : " NTP Server not running");
    view_.SetTrayHint(serving ? "Horalux (Server active)" : "Horalux");
  }
  view_.SetStatusText(TStatusPanel::DateTime, DateTimeText(*env_.formats, env_.localClock()));
}

bool TForm1::Guard(const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const std::exception& error) {
    view_.ShowMessage(TMessageKind::Error, env_.title, ErrorBoxText(error.what()));
    return false;
  }
}

}  // namespace horalux
