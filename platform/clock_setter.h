// Setting the computer's clock: the one thing the program does that changes the system.
// The window gets a setter handed in, so that tests only ever use a recording fake.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "timeproto/date_time.h"

namespace horalux {

class ClockSetter {
 public:
  virtual ~ClockSetter() = default;
  // Sets the clock to a local date and time. Returns an empty text when the clock was set,
  // otherwise the system's reason (for example "Operation not permitted").
  virtual std::string SetLocalTime(const TSystemTime& localTime) = 0;
};

// The system clock (needs the right to set it: root or CAP_SYS_TIME).
std::unique_ptr<ClockSetter> MakeSystemClockSetter();

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
