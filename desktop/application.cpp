#include "desktop/application.h"

#include "desktop/error_box_text.h"
#include "desktop/ui_trace.h"

namespace horalux {

void TApplication::Terminate() {
  terminated_ = true;
  if (OnTerminate) Guard(OnTerminate);
  toolkit_.PostQuit();
}

int TApplication::Run() {
  // A quit asked for while the window was being made (the guard of a second instance, a
  // signal while the start-up warning was open) ends the program before the loop starts:
  // a nested loop, such as a message box's, may have taken the request already.
  if (showMainForm_) toolkit_.ShowMainForm();
  if (terminated_) return 0;
  const int code = toolkit_.RunLoop();
  terminated_ = true;
  return code;
}

void TApplication::ShowException(const std::exception& error) {
  ShowMessageBox(TMessageIcon::Error, title_, ErrorBoxText(error.what()));
}

bool TApplication::Guard(const std::function<void()>& body) noexcept {
  try {
    try {
      body();
      return true;
    } catch (const std::exception& error) {
      ShowException(error);
    } catch (...) {
      ShowMessageBox(TMessageIcon::Error, title_, ErrorBoxText("Unknown exception"));
    }
  } catch (...) {  // a box that cannot be shown leaves nothing else to tell
  }
  return false;
}

void TApplication::ShowMessageBox(TMessageIcon icon, const std::string& caption,
                                  const std::string& text) {
  // Before the box: it waits for the user.
  TraceUi("message box " + TraceQuoted(caption) + " " + TraceQuoted(text));
  toolkit_.ShowMessageBox(icon, caption, text);
}

void TApplication::Post(std::function<void()> work) {
  toolkit_.Post([this, work = std::move(work)] { Guard(work); });
}

void TApplication::After(std::chrono::milliseconds delay, std::function<void()> work) {
  toolkit_.After(delay, [this, work = std::move(work)] { Guard(work); });
}

}  // namespace horalux
