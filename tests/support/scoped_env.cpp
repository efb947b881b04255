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

ScopedEnvVar::ScopedEnvVar(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) previous_ = old;
  if (value != nullptr) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
}

ScopedEnvVar::~ScopedEnvVar() {
  if (previous_) {
    ::setenv(name_, previous_->c_str(), 1);
  } else {
    ::unsetenv(name_);
  }
}

ScopedStackImplementation::ScopedStackImplementation(TIdStackClass implementation)
    : previous_(StackImplementation) {
  StackImplementation = implementation;
}

ScopedStackImplementation::~ScopedStackImplementation() { StackImplementation = previous_; }

}  // namespace horalux::testing
