#include "app/form1_desktop_view.h"

#include <algorithm>

#include "app/form1.h"
#include "desktop/ui_trace.h"

namespace horalux {

TForm1DesktopView::~TForm1DesktopView() { DestroyComponents(); }

void TForm1DesktopView::CreateComponents(const std::function<void(TImageList&)>& addImages) {
  components_ = std::make_unique<TForm1Components>(application_, addImages);
}

void TForm1DesktopView::DestroyComponents() noexcept {
  Unbind();
  components_.reset();
}

void TForm1DesktopView::Bind(TForm1& form) {
  form_ = &form;
  binding_.Bind();
  application_.OnTerminate = [this] {
    if (form_ != nullptr) form_->QuitRequested();
  };
  components_->Connect(form);
}

void TForm1DesktopView::Unbind() {
  if (form_ == nullptr) return;
  form_ = nullptr;
  binding_.Unbind();
  application_.OnTerminate = nullptr;
  if (components_ != nullptr) components_->Disconnect();
}

void TForm1DesktopView::RunHandler(void (TForm1::*handler)()) {
  if (TForm1* form = form_) form->Guard([form, handler] { (form->*handler)(); });
}

void TForm1DesktopView::Loaded() { components_->Loaded(); }

void TForm1DesktopView::HideWindow() { components_->abfTrayIcon().MinimizeApplication(); }

void TForm1DesktopView::SetTrayImage(int index) { components_->abfTrayIcon().SetImageIndex(index); }

void TForm1DesktopView::SetTrayHint(const std::string& hint) {
  components_->abfTrayIcon().SetHint(hint);
}

void TForm1DesktopView::ShowTrayNotification(const std::string& title, const std::string& text) {
  TraceUi("notification " + TraceQuoted(title) + " " + TraceQuoted(text));
  components_->abfTrayIcon().ShowNotification(title, text);
}

void TForm1DesktopView::SetStatusText(TStatusPanel panel, const std::string& text) {
  ShowStatusText(panel, text);
  statusTexts_[static_cast<int>(panel)] = text;
  if (panel != TStatusPanel::DateTime) return;
  TraceUi("status " + statusTexts_[0] + " | " + statusTexts_[1] + " | log " +
          std::to_string(logLines_));
}

void TForm1DesktopView::ChangeLog(std::size_t removedFromStart,
                                  const std::vector<std::string>& appended) {
  ShowLogChange(removedFromStart, appended);
  logLines_ -= std::min(removedFromStart, logLines_);
  logLines_ += appended.size();
}

void TForm1DesktopView::TraceVisible(bool visible) {
  TraceUi(visible ? "window shown" : "window hidden");
}

void TForm1DesktopView::ShowMessage(TMessageKind kind, const std::string& caption,
                                    const std::string& text) {
  application_.ShowMessageBox(
      kind == TMessageKind::Warning ? TMessageIcon::Warning : TMessageIcon::Error, caption, text);
}

void TForm1DesktopView::OpenUrl(const std::string& address) {
  if (UrlOpener) {
    UrlOpener(address);
  } else {
    OpenUrlWithSystem(address);
  }
}

// Work for later dies with the binding: it belongs to the controller that left it.
void TForm1DesktopView::Post(std::function<void()> work) {
  application_.Post(binding_.Keep(std::move(work)));
}

void TForm1DesktopView::After(std::chrono::milliseconds delay, std::function<void()> work) {
  application_.After(delay, binding_.Keep(std::move(work)));
}

}  // namespace horalux
