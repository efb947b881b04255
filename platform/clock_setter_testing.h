// A clock setter for tests: it records what it was asked to set and never touches the
// system clock.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock_setter.h"

namespace horalux {

struct ClockRequest {
  TSystemTime localTime;
  std::int32_t biasMinutes = 0;
  std::int64_t UtcMilliseconds() const { return UtcMillisecondsOf(localTime, biasMinutes); }
};

// Records what it was asked to set and answers with `refusal` as it is at the call (empty:
// success).
class RecordingClockSetter : public ClockSetter {
 public:
  explicit RecordingClockSetter(std::string refusalText = {}) : refusal(std::move(refusalText)) {}
  std::string SetLocalTime(const TSystemTime& localTime, std::int32_t biasMinutes) override {
    requests.push_back({localTime, biasMinutes});
    return refusal;
  }
  std::vector<ClockRequest> requests;
  std::string refusal;
};

}  // namespace horalux
