// Clock settings across a zone's change, for the setter tests of both systems: the clock
// stands on one side of a daylight-saving change, the time host's answer on the other (or
// in the repeated hour), and the run made its local time with the bias of now. A setter
// must set the host's moment, whatever the zone's rules say of that local time.
#pragma once

#include <cstdint>
#include <vector>

namespace horalux::testing {

// One change of a zone's bias (minutes, UTC = local + bias) at a moment in UTC.
struct ZoneChange {
  std::int64_t atUtcMs;
  std::int32_t biasBefore;
  std::int32_t biasAfter;
  std::int32_t BiasAt(std::int64_t utcMs) const { return utcMs < atUtcMs ? biasBefore : biasAfter; }
};

struct ZoneChangeCase {
  const char* name;
  const char* tz;  // the zone whose rules this is, for the system's own conversion
  ZoneChange zone;
  std::int64_t nowUtcMs;     // the local clock, when the run made its local time
  std::int64_t targetUtcMs;  // the time host's moment
};

inline const std::vector<ZoneChangeCase>& ZoneChangeCases() {
  static const std::vector<ZoneChangeCase> cases = {
      // 2026-10-25 01:00 UTC: 03:00 CEST becomes 02:00 CET.
      {"fall back, host 2 minutes ahead",
       "Europe/Berlin",
       {1'792'890'000'000, -120, -60},
       1'792'889'940'000,
       1'792'890'060'000},
      {"first pass of the repeated hour, host agrees",
       "Europe/Berlin",
       {1'792'890'000'000, -120, -60},
       1'792'888'200'000,
       1'792'888'200'000},
      // 2026-03-29 01:00 UTC: 02:00 CET becomes 03:00 CEST.
      {"spring forward, host 2 minutes behind",
       "Europe/Berlin",
       {1'774'746'000'000, -60, -120},
       1'774'746'060'000,
       1'774'745'940'000},
      {"summer, host 200 days behind",
       "Europe/Berlin",
       {1'774'746'000'000, -60, -120},
       1'784'116'800'000,
       1'766'836'800'000},
      // 2026-04-04 15:00 UTC: Lord Howe goes back half an hour, +11:00 to +10:30.
      {"half-hour change, host 2 minutes ahead",
       "Australia/Lord_Howe",
       {1'775'314'800'000, -660, -630},
       1'775'314'740'000,
       1'775'314'860'000},
      // 2026-04-04 14:00 UTC: Chatham goes from +13:45 to +12:45.
      {"quarter-hour zone, host 2 minutes ahead",
       "Pacific/Chatham",
       {1'775'311'200'000, -825, -765},
       1'775'311'140'000,
       1'775'311'260'000},
  };
  return cases;
}

}  // namespace horalux::testing
