#include <cstdlib>
#include <ctime>

#include "tests/support/scoped_env.h"

namespace horalux::testing {

void SetEnvVar(const char* name, const char* value) {
  if (value != nullptr) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
}

ScopedTimeZone::ScopedTimeZone(const std::string& zone) {
  if (const char* old = std::getenv("TZ")) previous_ = old;
  ::setenv("TZ", zone.c_str(), 1);
  ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  SetEnvVar("TZ", previous_ ? previous_->c_str() : nullptr);
  ::tzset();
}

}  // namespace horalux::testing
