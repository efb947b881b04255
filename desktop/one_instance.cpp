#include "desktop/one_instance.h"

#include <cstdio>

#include "base/format.h"
#include "base/notice_name.h"

namespace horalux {
namespace {

std::string GuardName(const std::string& title, const char* kind) {
  return title + ".OneInstance." + kind;
}

// Never locks the user out: without the locks the program runs unguarded.
TLockResult TryLockOrReport(NamedMutex& mutex) {
  const TLockResult result = mutex.TryLock();
  if (result == TLockResult::Failed) {
    std::fprintf(stderr, "%srunning without the single-instance guard: %s\n",
                 NoticePrefix().c_str(), mutex.Problem().c_str());
  }
  return result;
}

}  // namespace

TabfOneInstance::TabfOneInstance(TComponent* owner, TApplication& application)
    : TabfComponent(owner), application_(application) {}

TInstanceNames TabfOneInstance::Names() const {
  const std::string& title = application_.Title();
  return {title, GuardName(title, "Default"), GuardName(title, "Activation")};
}

void TabfOneInstance::Loaded() {
  if (AnotherInstanceRunning()) HandleAlreadyRunning();
}

bool TabfOneInstance::AnotherInstanceRunning() {
  if (instanceMutex_ != nullptr) return false;  // this instance holds the guard already
  const TInstanceNames names = Names();
  NamedMutex checking(GuardName(names.title, "CriticalSection"));
  TLockResult result = TryLockOrReport(checking);
  if (result != TLockResult::Acquired) return result == TLockResult::HeldElsewhere;

  auto instance = std::make_unique<NamedMutex>(names.instanceMutex);
  result = TryLockOrReport(*instance);
  if (result != TLockResult::Acquired) return result == TLockResult::HeldElsewhere;
  instanceMutex_ = std::move(instance);
  // Still inside the check: a second instance that finds the guard taken finds the first
  // one listening for its request.
  listener_ = application_.Toolkit().ListenForActivation(names, *instanceMutex_);
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

void TabfOneInstance::BringPrevInstanceToFront() {
  application_.Toolkit().BringPrevInstanceToFront(Names());
}

}  // namespace horalux
