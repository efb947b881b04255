#include "stack/shared_stack.h"

#include <memory>
#include <mutex>

namespace horalux {
namespace {

std::mutex stackLock;
int stackUserCount = 0;                 // guarded by stackLock
std::unique_ptr<TIdStack> sharedStack;  // present exactly while stackUserCount > 0

}  // namespace

void AddStackUser() {
  std::lock_guard lock(stackLock);
  if (stackUserCount == 0) sharedStack = MakeSharedStack();  // may throw: count unchanged
  ++stackUserCount;
}

void RemoveStackUser() {
  std::unique_ptr<TIdStack> last;
  std::lock_guard lock(stackLock);
  if (--stackUserCount == 0) last = std::move(sharedStack);
}

TIdStack& SharedStack() { return *sharedStack; }

bool SharedStackExists() {
  std::lock_guard lock(stackLock);
  return sharedStack != nullptr;
}

}  // namespace horalux
