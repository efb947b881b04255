#include "net/anti_freeze.h"

#include <atomic>
#include <utility>

#include "net/main_thread.h"

namespace horalux {
namespace {

// Written on the main thread only; read by waits on any thread, which must not touch
// the object unless they are the main thread.
std::atomic<TIdAntiFreezeBase*> currentAntiFreeze{nullptr};

TIdAntiFreeze::PendingWork& InstalledWork() {
  static TIdAntiFreeze::PendingWork work;
  return work;
}

}  // namespace

TIdAntiFreezeBase::TIdAntiFreezeBase(TComponent* owner) : TIdBaseComponent(owner) {
  currentAntiFreeze.store(this);
}

TIdAntiFreezeBase::~TIdAntiFreezeBase() { currentAntiFreeze.store(nullptr); }

bool TIdAntiFreezeBase::IdleProcessingApplies() {
  if (!IsMainThread()) return false;
  const TIdAntiFreezeBase* current = currentAntiFreeze.load();
  return current != nullptr && current->Active;
}

void TIdAntiFreezeBase::RunIdleStep(bool idle, bool force) {
  if (!IdleProcessingApplies()) return;
  TIdAntiFreezeBase* current = currentAntiFreeze.load();
  if ((!current->OnlyWhenIdle || idle || force) && current->Active) current->ProcessPending();
}

TIdAntiFreezeBase* TIdAntiFreezeBase::Current() { return currentAntiFreeze.load(); }

void TIdAntiFreeze::InstallPendingWork(PendingWork work) { InstalledWork() = std::move(work); }

void TIdAntiFreeze::ProcessPending() {
  const PendingWork& work = InstalledWork();
  if (ApplicationHasPriority) {
    if (work.processAll) work.processAll();
  } else if (work.handleOneIfWaiting) {
    work.handleOneIfWaiting();
  }
}

}  // namespace horalux
