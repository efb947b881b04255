#include "desktop/custom_timer.h"

#include "platform/code_page.h"

namespace horalux {

TabfCustomTimer::TabfCustomTimer(TComponent* owner, TApplication& application)
    : TabfCustomTimer(owner, application, [&application](TToolkit::TWindowProcedure procedure) {
        return application.Toolkit().NewComponentWindow(std::move(procedure));
      }) {}

TabfCustomTimer::TabfCustomTimer(TComponent* owner, TApplication& application,
                                 const TWindowMaker& makeWindow)
    : TabfComponent(owner), application_(application) {
  // The window calls into this object only while it exists, and it goes first.
  window_ = makeWindow([this](const TWindowMessage& message) {
    long result = 0;
    application_.Guard([&] { result = HandleWindowMessage(message); });
    return result;
  });
}

long TabfCustomTimer::HandleWindowMessage(const TWindowMessage& message) {
  if (message.kind == TWindowMessage::Timer) application_.Guard([this] { TickStep(); });
  return 0;
}

void TabfCustomTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  UpdateTimer();
}

void TabfCustomTimer::SetInterval(std::uint32_t interval) {
  interval_ = interval;
  UpdateTimer();
}

void TabfCustomTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TabfCustomTimer::TickStep() { Fire(onTimer_, *this); }

void TabfCustomTimer::UpdateTimer() {
  window_->KillTimer();
  if (interval_ == 0 || !enabled_ || !onTimer_) return;
  if (!window_->SetTimer(interval_)) {
    throw EOutOfResources(EncodeCodePage(u"Nicht gen\u00fcgend Timer verf\u00fcgbar"));
  }
}

}  // namespace horalux
