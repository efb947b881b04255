// LocalTimeBias from the C library's view of the time zone (TZ, /etc/localtime).
#include <cerrno>
#include <cstring>
#include <ctime>

#include "stack/exceptions.h"
#include "timeproto/time_value.h"

namespace horalux {

double LocalTimeBias() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || ::localtime_r(&now, &local) == nullptr) {
    const int error = errno != 0 ? errno : EOVERFLOW;
    throw EIdException(std::strerror(error));
  }
  const long biasMinutes = -local.tm_gmtoff / 60;
  return static_cast<double>(biasMinutes) / 1440.0;
}

}  // namespace horalux
