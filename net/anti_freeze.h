// Idle processing: while the main thread waits on the network, its waits are cut into
// slices and between slices the window system handles its pending messages, so the
// window stays alive. Other threads never do this.
//
// The core does not know the window system: the front end installs what "handle
// pending messages" means (TIdAntiFreeze::InstallPendingWork).
//
// The component in use is the idle processor (base/idle_processor.h) that socket waits
// below the network layer consult.
//
// Thread-safety: components are created, configured and destroyed on the main thread;
// IdleProcessingApplies and RunIdleStep may be called from any thread and touch the
// component only on the main thread.
#pragma once

#include <cstdint>
#include <functional>

#include "base/component.h"
#include "base/idle_processor.h"

namespace horalux {

class TIdAntiFreezeBase : public TIdBaseComponent, public TIdleProcessor {
 public:
  // The new object becomes the one in use, replacing any earlier one.
  explicit TIdAntiFreezeBase(TComponent* owner = nullptr);
  // Leaves none in use, whichever object was in use.
  ~TIdAntiFreezeBase() override;

  bool Active = true;
  bool ApplicationHasPriority = true;
  std::int32_t IdleTimeOut = 250;
  bool OnlyWhenIdle = true;

  virtual void ProcessPending() = 0;

  // An anti-freeze is in use and active, and the caller is the main thread.
  static bool IdleProcessingApplies();
  // Runs ProcessPending when idle processing applies and (idle, or forced, or the
  // component does not wait for idleness).
  static void RunIdleStep(bool idle, bool force);
  // The object in use, or null.
  static TIdAntiFreezeBase* Current();

 protected:
  bool IdleActive() const override { return Active; }
  std::int32_t IdleSlice() const override { return IdleTimeOut; }
  void IdleStep(bool idle, bool force) override;
};

class TIdAntiFreeze : public TIdAntiFreezeBase {
 public:
  struct PendingWork {
    std::function<void()> processAll;          // handle every pending message
    std::function<void()> handleOneIfWaiting;  // handle one message, if one is waiting
  };

  // Installed by the front end on the main thread before any network wait; without it
  // an idle step does nothing.
  static void InstallPendingWork(PendingWork work);

  using TIdAntiFreezeBase::TIdAntiFreezeBase;
  void ProcessPending() override;
};

}  // namespace horalux
