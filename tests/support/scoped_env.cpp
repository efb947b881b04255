#include "tests/support/scoped_env.h"

#include <cstdlib>
#include <ctime>

namespace horalux::testing {

ScopedTimeZone::ScopedTimeZone(const std::string& zone) {
  if (const char* old = std::getenv("TZ")) previous_ = old;
  ::setenv("TZ", zone.c_str(), 1);
  ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  if (previous_) {
    ::setenv("TZ", previous_->c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

ScopedStackImplementation::ScopedStackImplementation(TIdStackClass implementation)
    : previous_(StackImplementation) {
  StackImplementation = implementation;
}

ScopedStackImplementation::~ScopedStackImplementation() { StackImplementation = previous_; }

}  // namespace horalux::testing
