// The zone as GetTimeZoneInformation gives it; a failure carries the system's message
// text for the thread's last error.
#include <windows.h>

#include <string>

#include "base/time_zone.h"

namespace horalux {
namespace {

std::string SystemMessage(DWORD error) {
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message(text != nullptr ? text : "", length);
  ::LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
    message.pop_back();
  }
  return message;
}

}  // namespace

TTimeZoneReading SystemTimeZoneReading() {
  TIME_ZONE_INFORMATION information{};
  TTimeZoneReading reading;
  reading.code = ::GetTimeZoneInformation(&information);
  reading.Bias = information.Bias;
  reading.StandardBias = information.StandardBias;
  reading.DaylightBias = information.DaylightBias;
  if (!BiasMinutes(reading)) reading.errorText = SystemMessage(::GetLastError());
  return reading;
}

}  // namespace horalux
