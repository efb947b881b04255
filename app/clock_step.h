// What a run checks before it moves the clock to a time host's answer, which nobody
// authenticates: a host on the path (a hostile network, a spoofed name, a broken server)
// can answer any of 136 years. An automatic run moves the clock only a bounded step; no
// run sets a time from before the day this program was built. Sync Now is the user's own
// request and takes any step above that floor. A local clock that reads before that day is
// known to be wrong (a dead clock battery, a board without a clock): there the bound would
// keep it wrong for good, so any run may move it up to a time above the floor.
#pragma once

#include <cstdint>
#include <string>

namespace horalux {

// Who asked for a run: the user (Sync Now), or the start-up setting and the minute counter.
enum class TSyncOrigin { User, Automatic };

// The largest step an automatic run takes, either way: 15 hours, the bound that Windows'
// own time service keeps by default on machines outside a domain (its MaxPosPhaseCorrection
// and MaxNegPhaseCorrection of 54,000 seconds).
inline constexpr std::int64_t kMostAutomaticStepSeconds = 54'000;

inline constexpr const char* kBeforeBuildReason =
    "the time host's time is before this program was built";
inline constexpr const char* kStepTooLargeReason =
    "difference over 15 hours; press Sync Now to set it";

// 00:00 UTC of the day the sources were written, in milliseconds since 1970-01-01 UTC
// (from the build: the last commit's date).
std::int64_t BuildDayUtcMs();

// One answer against the local clock, both in milliseconds since 1970-01-01 UTC, with the
// difference in whole seconds as the run measured it (positive: the local clock is ahead).
struct TClockStep {
  std::int64_t hostUtcMs = 0;
  std::int64_t localUtcMs = 0;
  std::int64_t differenceSeconds = 0;
};

// Why the clock must stay as it is for `step`: one of the reasons above (the floor first),
// or empty.
std::string ClockStepRefusal(const TClockStep& step, TSyncOrigin origin);

}  // namespace horalux
