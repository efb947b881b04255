#include "desktop/win32/one_instance.h"

#include <commctrl.h>

#include <cstdio>

#include "base/format.h"

namespace horalux {
namespace {

constexpr UINT_PTR kMainFormHookId = 2;

std::string GuardName(const std::string& title, const char* kind) {
  return title + ".OneInstance." + kind;
}

// Never locks the user out: without the mutexes the program runs unguarded.
void ReportUnguarded(const std::string& title, const NamedMutex& mutex) {
  std::fprintf(stderr, "%s: running without the single-instance guard: %s\n", title.c_str(),
               mutex.Problem().c_str());
}

}  // namespace

TabfOneInstance::TabfOneInstance(TComponent* owner, TApplication& application)
    : TabfComponent(owner), application_(application) {}

TabfOneInstance::~TabfOneInstance() {
  if (hookedForm_ != nullptr) ::RemoveWindowSubclass(hookedForm_, &MainFormHook, kMainFormHookId);
}

UINT TabfOneInstance::ActivateMessage() const {
  return ::RegisterWindowMessageA(GuardName(application_.Title(), "Activate").c_str());
}

void TabfOneInstance::Loaded() {
  if (AnotherInstanceRunning()) HandleAlreadyRunning();
}

bool TabfOneInstance::AnotherInstanceRunning() {
  if (instanceMutex_ != nullptr) return false;  // this instance holds the guard already
  const std::string& title = application_.Title();
  NamedMutex checking(GuardName(title, "CriticalSection"));
  const TLockResult checkResult = checking.TryLock();
  if (checkResult == TLockResult::HeldElsewhere) return true;
  if (checkResult == TLockResult::Failed) {
    ReportUnguarded(title, checking);
    return false;
  }

  auto instance = std::make_unique<NamedMutex>(GuardName(title, "Default"));
  const TLockResult result = instance->TryLock();
  if (result == TLockResult::HeldElsewhere) return true;
  if (result == TLockResult::Failed) {
    ReportUnguarded(title, *instance);
    return false;
  }
  instanceMutex_ = std::move(instance);
  // Still inside the check: a second instance that finds the guard taken finds the first
  // one listening for the request to come forward.
  activateMessage_ = ActivateMessage();
  hookedForm_ = application_.MainForm();
  if (hookedForm_ != nullptr) {
    ::SetWindowSubclass(hookedForm_, &MainFormHook, kMainFormHookId,
                        reinterpret_cast<DWORD_PTR>(this));
  }
  return false;
}

void TabfOneInstance::HandleAlreadyRunning() {
  bool terminate = true;
  const bool showMainForm = application_.ShowMainForm();
  application_.SetShowMainForm(false);
  if (ShowMessage) {
    if (OnShowMessage) {
      OnShowMessage(*this, terminate);
    } else {
      const std::string text =
          !Message.empty() ? Message
                           : Fmt("Application \"%s\" is already running.", {application_.Title()});
      application_.ShowMessageBox(TMessageIcon::Warning, application_.Title(), text);
    }
  }
  if (ActivatePrevInstance) BringPrevInstanceToFront();
  if (terminate) {
    application_.Terminate();
  } else {
    application_.SetShowMainForm(showMainForm);
  }
}

HWND TabfOneInstance::FindPrevInstanceWindow() const {
  const HWND own = application_.MainForm();
  if (own == nullptr) return nullptr;
  char className[256] = {};
  if (::GetClassNameA(own, className, sizeof className) == 0) return nullptr;
  HWND candidate = nullptr;
  while ((candidate = ::FindWindowExA(nullptr, candidate, className,
                                      application_.Title().c_str())) != nullptr) {
    if (candidate != own) return candidate;
  }
  return nullptr;
}

// The starting instance may pass the foreground on; the first one takes it when it comes.
void TabfOneInstance::BringPrevInstanceToFront() {
  const HWND previous = FindPrevInstanceWindow();
  if (previous == nullptr) return;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(previous, &processId);
  ::AllowSetForegroundWindow(processId);
  ::PostMessageA(previous, ActivateMessage(), 0, 0);
}

LRESULT CALLBACK TabfOneInstance::MainFormHook(HWND window, UINT message, WPARAM w, LPARAM l,
                                               UINT_PTR, DWORD_PTR self) {
  const auto& guard = *reinterpret_cast<TabfOneInstance*>(self);
  if (message == guard.activateMessage_) {
    BringWindowToFront(window);
    return 0;
  }
  return ::DefSubclassProc(window, message, w, l);
}

void BringWindowToFront(HWND window) {
  ::ShowWindow(window, ::IsIconic(window) ? SW_RESTORE : SW_SHOW);
  ::SetForegroundWindow(window);
}

}  // namespace horalux
