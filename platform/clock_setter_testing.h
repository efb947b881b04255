// A clock setter for tests: it records what it was asked to set and never touches the
// system clock.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/clock_setter.h"

namespace horalux {

// Records what it was asked to set and answers with a prepared reason (empty: success).
class RecordingClockSetter : public ClockSetter {
 public:
  explicit RecordingClockSetter(std::string refusal = {}) : refusal_(std::move(refusal)) {}
  std::string SetLocalTime(const TSystemTime& localTime) override {
    requests.push_back(localTime);
    return refusal_;
  }
  std::vector<TSystemTime> requests;

 private:
  std::string refusal_;
};

}  // namespace horalux
