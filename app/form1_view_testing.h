// For tests: a view of TForm1 that records what it is told, and an event loop of its own.
// Work posted to it (from any thread) and work after a delay runs when the test calls
// ProcessEvents, as a toolkit's loop would run it; while a run waits on the network the
// idle steps call it (see FormTest).
#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/form1_view.h"

namespace horalux::testing {

struct TRecordedMessage {
  TMessageKind kind;
  std::string caption;
  std::string text;
  bool operator==(const TRecordedMessage&) const = default;
};

class TRecordingForm1View : public TForm1View {
 public:
  using Clock = std::chrono::steady_clock;

  void Bind(TForm1& form) override { form_ = &form; }
  void Unbind() override;
  void Loaded() override { ++loaded; }
  void SetCaption(const std::string& text) override { caption = text; }
  void ShowWindow() override { visible = true; }
  void HideWindow() override { visible = false; }
  void AddHostItem(const std::string& host) override { hostItems.push_back(host); }
  std::string HostText() override { return hostText; }
  void SetHostText(const std::string& text) override { hostText = text; }
  int IntervalPosition() override { return intervalPosition; }
  void SetIntervalPosition(int position) override { intervalPosition = position; }
  bool Checked(TCheckBox box) override { return checked[box]; }
  void SetChecked(TCheckBox box, bool value) override { checked[box] = value; }
  void SetStatusText(TStatusPanel panel, const std::string& text) override;
  void ChangeLog(std::size_t removedFromStart, const std::vector<std::string>& appended) override;
  void SetWaitCursor(bool wait) override { waitCursor += wait ? 1 : -1; }
  void SetTrayImage(int index) override { trayImage = index; }
  void SetTrayHint(const std::string& hint) override { trayHint = hint; }
  void ShowTrayNotification(const std::string& title, const std::string& text) override {
    notifications.push_back(title + "|" + text);
  }
  void ShowMessage(TMessageKind kind, const std::string& boxCaption,
                   const std::string& text) override {
    messages.push_back({kind, boxCaption, text});
  }
  // As an application does: every quit request reaches the controller.
  void Terminate() override;
  void OpenUrl(const std::string& address) override { openedUrls.push_back(address); }
  void Post(std::function<void()> work) override;
  void After(std::chrono::milliseconds delay, std::function<void()> work) override;

  // Runs the work posted so far and the delayed work that is due.
  void ProcessEvents();
  // A user's click on a check box: the box changes, then its handler runs.
  void Click(TCheckBox box);

  TForm1* form() const noexcept { return form_; }

  int loaded = 0;
  std::string caption;
  bool visible = false;
  std::vector<std::string> hostItems;
  std::string hostText;
  int intervalPosition = 300;
  std::map<TCheckBox, bool> checked{{TCheckBox::ckStartup, true}, {TCheckBox::ckServer, false}};
  std::string status[2];
  std::vector<std::string> logLines;  // what the log's view shows
  int waitCursor = 0;                 // how many runs hold the wait cursor
  int trayImage = 0;
  std::string trayHint;
  std::vector<std::string> notifications;  // "title|text"
  std::vector<TRecordedMessage> messages;
  bool terminated = false;
  std::vector<std::string> openedUrls;

 private:
  struct TDelayed {
    Clock::time_point due;
    std::function<void()> work;
  };

  TForm1* form_ = nullptr;
  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;  // guarded by postedMutex_
  std::vector<TDelayed> delayed_;
};

}  // namespace horalux::testing
