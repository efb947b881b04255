#include "net/id_component.h"

#include "stack/messages.h"

namespace horalux {

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
