// Linux has no such counter: the monotonic clock in milliseconds, cut to 32 bits, wraps
// the same way.
#include <chrono>

#include "timeproto/tick_count.h"

namespace horalux {

std::uint32_t GetTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace horalux
