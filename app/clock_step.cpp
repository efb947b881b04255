#include "app/clock_step.h"

namespace horalux {

std::int64_t BuildDayUtcMs() {
  constexpr std::int64_t kSecondsPerDay = 86'400;
  constexpr std::int64_t kSourceDate = HORALUX_SOURCE_DATE_EPOCH;
  return (kSourceDate - kSourceDate % kSecondsPerDay) * 1000;
}

std::string ClockStepRefusal(std::int64_t hostUtcMs, std::int64_t differenceSeconds,
                             TSyncOrigin origin) {
  if (hostUtcMs < BuildDayUtcMs()) return kBeforeBuildReason;
  const bool tooLarge = differenceSeconds > kMostAutomaticStepSeconds ||
                        differenceSeconds < -kMostAutomaticStepSeconds;
  if (origin == TSyncOrigin::Automatic && tooLarge) return kStepTooLargeReason;
  return {};
}

}  // namespace horalux
