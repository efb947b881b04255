// Idle processing as the layers below the network components see it: while the main
// thread waits on a socket, the wait is cut into slices and an idle step runs between
// them, so that the window stays alive. The anti-freeze registers itself here as the
// processor in use; socket waits ask here, and so need nothing above the stack.
//
// Thread-safety: processors register and unregister on the main thread. Applies, Slice
// and RunStep may be called from any thread and touch the processor only on the main
// thread.
#pragma once

#include <cstdint>

namespace horalux {

class TIdleProcessor {
 public:
  // The processor becomes the one in use, replacing any earlier one.
  static void Register(TIdleProcessor* processor) noexcept;
  // Leaves none in use.
  static void Unregister() noexcept;
  // The processor in use, or null.
  static TIdleProcessor* Current() noexcept;

  // A processor is in use and active, and the caller is the main thread.
  static bool Applies();
  // The length of one wait slice in ms, as the processor in use sets it (not clamped).
  // Requires: Applies().
  static std::int32_t Slice();
  // Lets the processor in use take an idle step, when Applies(). `idle`: the wait ended
  // with nothing to do; `force`: step even when the processor waits for idleness.
  static void RunStep(bool idle, bool force);

 protected:
  TIdleProcessor() = default;
  virtual ~TIdleProcessor() = default;
  TIdleProcessor(const TIdleProcessor&) = delete;
  TIdleProcessor& operator=(const TIdleProcessor&) = delete;

  virtual bool IdleActive() const = 0;
  virtual std::int32_t IdleSlice() const = 0;
  virtual void IdleStep(bool idle, bool force) = 0;
};

}  // namespace horalux
