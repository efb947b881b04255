#include "tests/support/scoped_env.h"

#include <cstdlib>
#include <mutex>
#include <utility>

namespace horalux::testing {
namespace {

std::mutex fixedZoneMutex;
TTimeZoneReading fixedZone;  // guarded by fixedZoneMutex

TTimeZoneReading FixedZoneReading() {
  std::lock_guard lock(fixedZoneMutex);
  return fixedZone;
}

}  // namespace

TTimeZoneReading FixedZone(std::int32_t biasMinutes) {
  TTimeZoneReading reading;
  reading.code = ZONE_ID_UNKNOWN;
  reading.Bias = biasMinutes;
  return reading;
}

ScopedFixedTimeZone::ScopedFixedTimeZone(TTimeZoneReading reading) {
  {
    std::lock_guard lock(fixedZoneMutex);
    previousReading_ = std::exchange(fixedZone, std::move(reading));
  }
  previousSource_ = SetTimeZoneSource(&FixedZoneReading);
}

ScopedFixedTimeZone::~ScopedFixedTimeZone() {
  SetTimeZoneSource(previousSource_);
  std::lock_guard lock(fixedZoneMutex);
  fixedZone = std::move(previousReading_);
}

ScopedEnvVar::ScopedEnvVar(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) previous_ = old;
  SetEnvVar(name, value);
}

ScopedEnvVar::~ScopedEnvVar() { SetEnvVar(name_, previous_ ? previous_->c_str() : nullptr); }

}  // namespace horalux::testing
