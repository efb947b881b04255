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
void ReportUnguarded(const NamedMutex& mutex) {
  std::fprintf(stderr, "%srunning without the single-instance guard: %s\n", NoticePrefix().c_str(),
               mutex.Problem().c_str());
}

}  // namespace

TabfOneInstance::TabfOneInstance(TComponent* owner, TApplication& application)
    : TabfComponent(owner), application_(application) {}

TabfOneInstance::~TabfOneInstance() = default;

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
  const TLockResult checkResult = checking.TryLock();
  if (checkResult == TLockResult::HeldElsewhere) return true;
  if (checkResult == TLockResult::Failed) {
    ReportUnguarded(checking);
    return false;
  }

  auto instance = std::make_unique<NamedMutex>(names.instanceMutex);
  const TLockResult result = instance->TryLock();
  if (result == TLockResult::HeldElsewhere) return true;
  if (result == TLockResult::Failed) {
    ReportUnguarded(*instance);
    return false;
  }
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
