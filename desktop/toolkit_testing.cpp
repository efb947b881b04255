#include "desktop/toolkit_testing.h"

#include <algorithm>
#include <map>

#include "desktop/popup_menu.h"

namespace horalux::testing {
namespace {

// The recording toolkits that listen, by their channel's name.
std::map<std::string, RecordingToolkit*>& Listeners() {
  static std::map<std::string, RecordingToolkit*> listeners;
  return listeners;
}

class RecordingListener : public TActivationListener {
 public:
  RecordingListener(std::string name, RecordingToolkit& toolkit) : name_(std::move(name)) {
    Listeners()[name_] = &toolkit;
  }
  ~RecordingListener() override { Listeners().erase(name_); }

 private:
  std::string name_;
};

const char* MessageName(TNotifyIconMessage message) {
  switch (message) {
    case TNotifyIconMessage::Add:
      return "add";
    case TNotifyIconMessage::Modify:
      return "modify";
    case TNotifyIconMessage::Delete:
      return "delete";
  }
  return "?";
}

}  // namespace

std::string NameOf(const TIcon* icon) {
  const auto* named = dynamic_cast<const NamedIcon*>(icon);
  return named != nullptr ? named->name : std::string();
}

RecordingWindow::RecordingWindow(RecordingToolkit& toolkit, TToolkit::TWindowProcedure procedure)
    : toolkit_(toolkit), procedure_(std::move(procedure)) {
  toolkit_.windows.push_back(this);
}

RecordingWindow::~RecordingWindow() {
  auto& windows = toolkit_.windows;
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

bool RecordingWindow::SetTimer(std::uint32_t intervalMs) {
  if (refuseTimers) return false;
  timerInterval = intervalMs;
  return true;
}

bool RecordingWindow::NotifyIcon(TNotifyIconMessage message, const TNotifyIconData& data) {
  std::string call = std::string(MessageName(message)) + " " + std::to_string(data.id);
  if ((data.flags & nifIcon) != 0) call += " icon:" + NameOf(data.icon);
  call += " tip:" + data.tip;
  shellCalls.push_back(call);
  return true;
}

void RecordingWindow::ShowBalloon(const TNotifyIconData&, const std::string& title,
                                  const std::string& text) {
  balloons.push_back(title + "|" + text);
}

namespace {

std::string CaptionsOf(const TPopupMenu& menu) {
  std::string captions;
  for (const TMenuItem& item : menu.Items()) {
    captions += (captions.empty() ? "" : "|") + item.Caption + (item.Default ? "*" : "");
  }
  return captions;
}

}  // namespace

int RecordingWindow::TrackPopupMenu(const TPopupMenu& menu, TPoint) {
  menusShown.push_back(CaptionsOf(menu));
  return chooseInMenu(menu);
}

void RecordingWindow::ExportMenu(const TPopupMenu* menu) {
  exportedMenu = menu != nullptr ? CaptionsOf(*menu) : "";
}

bool RecordingWindow::TrayPresent() { return toolkit_.trayPresent; }

RecordingToolkit::RecordingToolkit() = default;
RecordingToolkit::~RecordingToolkit() = default;

int RecordingToolkit::RunLoop() {
  ++loopsRun;
  RunPosted();
  return 0;
}

void RecordingToolkit::ProcessMessages() {
  ++messagesProcessed;
  RunPosted();
}

bool RecordingToolkit::HandleMessageIfWaiting() {
  if (posted.empty()) return false;
  std::function<void()> work = std::move(posted.front());
  posted.pop_front();
  work();
  return true;
}

void RecordingToolkit::RunPosted() {
  while (HandleMessageIfWaiting()) {
  }
}

std::unique_ptr<TComponentWindow> RecordingToolkit::NewComponentWindow(TWindowProcedure procedure) {
  return std::make_unique<RecordingWindow>(*this, std::move(procedure));
}

std::unique_ptr<TTrayWindow> RecordingToolkit::NewTrayWindow(TWindowProcedure procedure) {
  return std::make_unique<RecordingWindow>(*this, std::move(procedure));
}

std::unique_ptr<TActivationListener> RecordingToolkit::ListenForActivation(
    const TInstanceNames& names, const NamedMutex&) {
  return std::make_unique<RecordingListener>(names.activation, *this);
}

void RecordingToolkit::BringPrevInstanceToFront(const TInstanceNames& names) {
  const auto found = Listeners().find(names.activation);
  if (found == Listeners().end()) return;
  ++found->second->broughtToFront;
  found->second->ShowMainForm();
}

}  // namespace horalux::testing
