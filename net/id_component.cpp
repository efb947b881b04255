#include "net/id_component.h"

#include <memory>
#include <mutex>

#include "stack/messages.h"

namespace horalux {
namespace {

std::mutex stackLock;
int stackUserCount = 0;                 // guarded by stackLock
std::unique_ptr<TIdStack> sharedStack;  // present exactly while stackUserCount > 0

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

}  // namespace

const std::string& StatusTextOf(TIdStatus status) {
  const IdMessages& texts = Messages();
  switch (status) {
    case StatusResolving:
      return texts.StatusResolving;
    case StatusConnecting:
      return texts.StatusConnecting;
    case StatusConnected:
      return texts.StatusConnected;
    case StatusDisconnecting:
      return texts.StatusDisconnecting;
    case StatusDisconnected:
      return texts.StatusDisconnected;
    default:
      return texts.StatusText;
  }
}

TIdStack& SharedStack() { return *sharedStack; }

bool SharedStackExists() {
  std::lock_guard lock(stackLock);
  return sharedStack != nullptr;
}

TIdComponent::TIdComponent(TComponent* owner) : TIdBaseComponent(owner) { AddStackUser(); }

TIdComponent::~TIdComponent() {
  // Owned components may still need the stack while they go.
  DestroyComponents();
  RemoveStackUser();
}

void TIdComponent::ReportStatus(TIdStatus status, std::initializer_list<FmtArg> args) {
  if (!OnStatus) return;
  OnStatus(*this, status, Fmt(StatusTextOf(status), args));
}

void TIdComponent::StartWork(TWorkMode mode, std::int32_t expectedSize) {
  WorkState& state = work_[mode];
  if (++state.level != 1) return;
  state.expectedSize = expectedSize;
  state.count = 0;
  if (OnWorkBegin) OnWorkBegin(*this, mode, expectedSize);
}

void TIdComponent::AddWork(TWorkMode mode, std::int32_t count) {
  WorkState& state = work_[mode];
  if (state.level < 1) return;
  state.count += count;
  if (OnWork) OnWork(*this, mode, state.count);
}

void TIdComponent::FinishWork(TWorkMode mode) {
  WorkState& state = work_[mode];
  if (state.level == 1 && OnWorkEnd) OnWorkEnd(*this, mode);
  --state.level;
}

std::string TIdComponent::LocalMachineName() { return SharedStack().MachineHostName(); }

}  // namespace horalux
