// The system's millisecond uptime counter, which wraps modulo 2^32: the time client
// measures its round trip with it. Only differences of two readings mean anything.
#pragma once

#include <cstdint>

namespace horalux {

std::uint32_t GetTickCount();

}  // namespace horalux
