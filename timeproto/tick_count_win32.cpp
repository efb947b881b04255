#include <windows.h>

#include "timeproto/tick_count.h"

namespace horalux {

std::uint32_t GetTickCount() { return ::GetTickCount(); }

}  // namespace horalux
