// Scoped changes to process-wide settings that tests need: the time zone and environment
// variables. The socket stack's are in tests/support/stack/scoped_stack.h.
#pragma once

#include <optional>
#include <string>

#include "base/time_zone.h"

namespace horalux::testing {

// A zone without daylight rule whose local time is `biasMinutes` behind UTC (negative:
// east of Greenwich; -120 is two hours east).
TTimeZoneReading FixedZone(std::int32_t biasMinutes);

// Puts a fixed time-zone reading in place of the system's, for Now() and the RFC 868 bias
// alike, on every system; restores the previous source.
class ScopedFixedTimeZone {
 public:
  explicit ScopedFixedTimeZone(TTimeZoneReading reading);
  ~ScopedFixedTimeZone();
  ScopedFixedTimeZone(const ScopedFixedTimeZone&) = delete;
  ScopedFixedTimeZone& operator=(const ScopedFixedTimeZone&) = delete;

 private:
  TTimeZoneReading previousReading_;
  TTimeZoneSource previousSource_;
};

// Linux only (the system's reading follows TZ there; a Windows build has no definition):
// sets TZ (for example "UTC", or "XST-2" for a zone two hours east) and restores it.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const std::string& zone);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> previous_;
};

// Sets an environment variable (or unsets it, for nullptr) and restores it.
class ScopedEnvVar {
 public:
  ScopedEnvVar(const char* name, const char* value);
  ~ScopedEnvVar();
  ScopedEnvVar(const ScopedEnvVar&) = delete;
  ScopedEnvVar& operator=(const ScopedEnvVar&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

// Sets (or, for nullptr, removes) an environment variable of this process.
void SetEnvVar(const char* name, const char* value);

}  // namespace horalux::testing
