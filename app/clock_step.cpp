#include "app/clock_step.h"

namespace horalux {

std::int64_t BuildDayUtcMs() {
  constexpr std::int64_t kSecondsPerDay = 86'400;
  constexpr std::int64_t kSourceDate = HORALUX_SOURCE_DATE_EPOCH;
  return (kSourceDate - kSourceDate % kSecondsPerDay) * 1000;
}

std::string ClockStepRefusal(const TClockStep& step, TSyncOrigin origin) {
  const std::int64_t floor = BuildDayUtcMs();
  if (step.hostUtcMs < floor) return kBeforeBuildReason;
  if (origin == TSyncOrigin::User || step.localUtcMs < floor) return {};
  const bool tooLarge = step.differenceSeconds > kMostAutomaticStepSeconds ||
                        step.differenceSeconds < -kMostAutomaticStepSeconds;
  return tooLarge ? kStepTooLargeReason : "";
}

}  // namespace horalux
