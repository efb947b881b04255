// Scoped changes to process-wide settings that tests need: the time zone, environment
// variables, the stack class, a component that keeps the shared stack alive.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/time_zone.h"
#include "net/id_component.h"
#include "stack/stack.h"

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

// Puts another stack class in place. Requires: no network component exists.
class ScopedStackImplementation {
 public:
  explicit ScopedStackImplementation(TIdStackClass implementation);
  ~ScopedStackImplementation();
  ScopedStackImplementation(const ScopedStackImplementation&) = delete;
  ScopedStackImplementation& operator=(const ScopedStackImplementation&) = delete;

 private:
  TIdStackClass previous_;
};

// Keeps the shared stack alive for raw socket work in a test.
class StackUser {
 public:
  StackUser() : component_(std::make_unique<TIdComponent>()) {}
  TIdStack& Stack() { return SharedStack(); }

 private:
  std::unique_ptr<TIdComponent> component_;
};

}  // namespace horalux::testing
