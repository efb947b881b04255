// The process's one socket stack: made (from StackImplementation) when its first user
// comes and freed when its last user goes. Every network component is a user; so is a
// test that needs raw sockets.
//
// Thread-safety: users come and go on any thread; the count and the making and freeing
// of the stack are guarded by one lock. The stack itself holds no lock.
#pragma once

#include "stack/stack.h"

namespace horalux {

// Counts a user in, making the stack when it is the first. Throws what making the stack
// throws; the count is unchanged then.
void AddStackUser();
// Counts a user out, freeing the stack when it was the last. Requires: a matching
// AddStackUser.
void RemoveStackUser();

// The process's socket stack. Requires: at least one user.
TIdStack& SharedStack();
// Whether the shared stack exists now (for tests and diagnostics).
bool SharedStackExists();

}  // namespace horalux
