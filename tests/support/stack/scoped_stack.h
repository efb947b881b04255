// Scoped changes to the process's socket stack for tests: another stack class, and a user
// that keeps the shared stack alive for raw socket work without any network component.
#pragma once

#include "stack/shared_stack.h"
#include "stack/stack.h"

namespace horalux::testing {

// Puts another stack class in place. Requires: no stack user exists.
class ScopedStackImplementation {
 public:
  explicit ScopedStackImplementation(TIdStackClass implementation);
  ~ScopedStackImplementation();
  ScopedStackImplementation(const ScopedStackImplementation&) = delete;
  ScopedStackImplementation& operator=(const ScopedStackImplementation&) = delete;

 private:
  TIdStackClass previous_;
};

// Counts as a user of the shared stack while it lives. Throws what making the stack throws.
class StackUser {
 public:
  StackUser() { AddStackUser(); }
  ~StackUser() { RemoveStackUser(); }
  StackUser(const StackUser&) = delete;
  StackUser& operator=(const StackUser&) = delete;

  TIdStack& Stack() { return SharedStack(); }
};

}  // namespace horalux::testing
