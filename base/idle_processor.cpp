#include "base/idle_processor.h"

#include <atomic>

#include "base/main_thread.h"

namespace horalux {
namespace {

// Written on the main thread only; read by waits on any thread, which must not touch
// the processor unless they are the main thread.
std::atomic<TIdleProcessor*> current{nullptr};

}  // namespace

void TIdleProcessor::Register(TIdleProcessor* processor) noexcept { current.store(processor); }

void TIdleProcessor::Unregister() noexcept { current.store(nullptr); }

TIdleProcessor* TIdleProcessor::Current() noexcept { return current.load(); }

bool TIdleProcessor::Applies() {
  if (!IsMainThread()) return false;
  const TIdleProcessor* processor = current.load();
  return processor != nullptr && processor->IdleActive();
}

std::int32_t TIdleProcessor::Slice() { return current.load()->IdleSlice(); }

void TIdleProcessor::RunStep(bool idle, bool force) {
  if (!Applies()) return;
  current.load()->IdleStep(idle, force);
}

}  // namespace horalux
