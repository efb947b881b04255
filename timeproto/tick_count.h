// A millisecond counter that wraps modulo 2^32, like the system uptime counter the time
// client measures its round trip with. Only differences of two readings mean anything.
#pragma once

#include <chrono>
#include <cstdint>

namespace horalux {

inline std::uint32_t GetTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace horalux
