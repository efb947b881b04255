#include "tests/support/stack/scoped_stack.h"

namespace horalux::testing {

ScopedStackImplementation::ScopedStackImplementation(TIdStackClass implementation)
    : previous_(StackImplementation) {
  StackImplementation = implementation;
}

ScopedStackImplementation::~ScopedStackImplementation() { StackImplementation = previous_; }

}  // namespace horalux::testing
