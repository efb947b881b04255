// The part of the window's view that every toolkit shares: what goes through the
// application object (boxes, the wait cursor, the quit request, work for later) and the
// window's components (the tray icon's image, hint and notification), and the binding to a
// controller, and the trace of what the window shows (desktop/ui_trace.h). The Qt and
// Win32 windows derive from it and add their controls.
//
// Thread-safety: main thread only, except Post.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form1_components.h"
#include "app/form1_view.h"
#include "app/view_binding.h"
#include "desktop/application.h"

namespace horalux {

class TForm1DesktopView : public TForm1View {
 public:
  ~TForm1DesktopView() override;

  // Bind connects the components' events to the controller's handlers; Unbind undoes it,
  // and drops the work the controller left for later.
  void Bind(TForm1& form) override;
  void Unbind() override;
  void Loaded() override;
  // Into the notification area; without one, onto the taskbar, so that it stays in reach.
  void HideWindow() override;

  // Shown by ShowStatusText; traced with the log's length as the clock panel changes,
  // once a second.
  void SetStatusText(TStatusPanel panel, const std::string& text) final;
  // Shown by ShowLogChange.
  void ChangeLog(std::size_t removedFromStart, const std::vector<std::string>& appended) final;
  void SetWaitCursor(bool wait) override { application_.SetWaitCursor(wait); }
  void SetTrayImage(int index) override;
  void SetTrayHint(const std::string& hint) override;
  void ShowTrayNotification(const std::string& title, const std::string& text) override;
  void ShowMessage(TMessageKind kind, const std::string& caption, const std::string& text) override;
  void Terminate() override { application_.Terminate(); }
  void OpenUrl(const std::string& address) override;
  void Post(std::function<void()> work) override;
  void After(std::chrono::milliseconds delay, std::function<void()> work) override;

  // Opens web addresses; the desktop's default when empty (tests record instead).
  std::function<void(const std::string&)> UrlOpener;

  TForm1Components& Components() const noexcept { return *components_; }

 protected:
  // Requires: `application` outlives the view.
  explicit TForm1DesktopView(TApplication& application) : application_(application) {}

  // Makes the window's components; the toolkit must know the main window by then.
  void CreateComponents(const std::function<void(TImageList&)>& addImages);
  // Destroys them, before the window they watch goes.
  void DestroyComponents() noexcept;
  // The desktop's default action for a web address.
  virtual void OpenUrlWithSystem(const std::string& address) = 0;
  virtual void ShowStatusText(TStatusPanel panel, const std::string& text) = 0;
  virtual void ShowLogChange(std::size_t removedFromStart,
                             const std::vector<std::string>& appended) = 0;
  // For the trace: the window was shown or hidden, by whomever.
  static void TraceVisible(bool visible);

  TApplication& Application() const noexcept { return application_; }
  // Runs the bound controller's handler under its guard; nothing once unbound.
  void RunHandler(void (TForm1::*handler)());

 private:
  TApplication& application_;
  TForm1* form_ = nullptr;
  TViewBinding binding_;
  std::unique_ptr<TForm1Components> components_;
  std::string statusTexts_[2];  // by TStatusPanel, for the trace
  std::size_t logLines_ = 0;
};

}  // namespace horalux
