// TIdComponent: the base of every network component. Each one is a user of the process's
// one socket stack (stack/shared_stack.h), so the stack is made with the first network
// component and freed with the last. It reports status events with fixed texts and
// progress of reads and writes as work events.
//
// Thread-safety: construction and destruction may happen on any thread (server threads
// make connections); the stack's lifetime is guarded by one lock. Events fire on the
// thread doing the work and are not handed to the main thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "base/component.h"
#include "base/format.h"
#include "stack/shared_stack.h"
#include "stack/stack.h"

namespace horalux {

enum TIdStatus {
  StatusResolving,
  StatusConnecting,
  StatusConnected,
  StatusDisconnecting,
  StatusDisconnected,
  StatusText1,
  StatusText2,
  StatusText3,
  StatusText4,
};

enum TWorkMode { WorkRead, WorkWrite };

using TIdStatusEvent =
    std::function<void(TComponent& sender, TIdStatus status, const std::string& text)>;
using TWorkEvent = std::function<void(TComponent& sender, TWorkMode mode, std::int32_t count)>;
using TWorkBeginEvent =
    std::function<void(TComponent& sender, TWorkMode mode, std::int32_t expectedSize)>;
using TWorkEndEvent = std::function<void(TComponent& sender, TWorkMode mode)>;

// The status text of the table for a status (unformatted).
const std::string& StatusTextOf(TIdStatus status);

class TIdComponent : public TIdBaseComponent {
 public:
  // Throws what making the shared stack throws, when this is the first network component.
  explicit TIdComponent(TComponent* owner = nullptr);
  ~TIdComponent() override;

  TIdStatusEvent OnStatus;
  TWorkEvent OnWork;
  TWorkBeginEvent OnWorkBegin;
  TWorkEndEvent OnWorkEnd;

  // Formats the status text with the arguments and fires OnStatus; nothing when unset.
  void ReportStatus(TIdStatus status, std::initializer_list<FmtArg> args = {});

  virtual void StartWork(TWorkMode mode, std::int32_t expectedSize);
  virtual void AddWork(TWorkMode mode, std::int32_t count);
  virtual void FinishWork(TWorkMode mode);

  // This machine's host name as the stack reports it.
  std::string LocalMachineName();

 private:
  struct WorkState {
    std::int32_t count = 0;
    std::int32_t expectedSize = 0;
    std::int32_t level = 0;
  };
  std::array<WorkState, 2> work_{};
};

}  // namespace horalux
