#include "net/anti_freeze.h"

#include <utility>

namespace horalux {
namespace {

TIdAntiFreeze::PendingWork& InstalledWork() {
  static TIdAntiFreeze::PendingWork work;
  return work;
}

}  // namespace

TIdAntiFreezeBase::TIdAntiFreezeBase(TComponent* owner) : TIdBaseComponent(owner) {
  TIdleProcessor::Register(this);
}

TIdAntiFreezeBase::~TIdAntiFreezeBase() { TIdleProcessor::Unregister(); }

bool TIdAntiFreezeBase::IdleProcessingApplies() { return TIdleProcessor::Applies(); }

void TIdAntiFreezeBase::RunIdleStep(bool idle, bool force) { TIdleProcessor::RunStep(idle, force); }

TIdAntiFreezeBase* TIdAntiFreezeBase::Current() {
  return dynamic_cast<TIdAntiFreezeBase*>(TIdleProcessor::Current());
}

void TIdAntiFreezeBase::IdleStep(bool idle, bool force) {
  if ((!OnlyWhenIdle || idle || force) && Active) ProcessPending();
}

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
