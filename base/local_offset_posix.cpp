// The local offset from the C library's view of the time zone (TZ, /etc/localtime).
#include <ctime>

#include "base/local_offset.h"

namespace horalux {

std::int64_t LocalOffsetSeconds(std::int64_t unixSeconds) {
  const auto moment = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  if (::localtime_r(&moment, &local) == nullptr) return 0;
  return local.tm_gmtoff;
}

}  // namespace horalux
