// The one place in the program that calls the system's SetLocalTime.
#include "platform/clock_setter_win32.h"

#include <windows.h>

#include "base/time_zone.h"

namespace horalux {
namespace {

unsigned long SetSystemLocalTime(const TSystemTime& localTime) {
  SYSTEMTIME time{};
  time.wYear = localTime.year;
  time.wMonth = localTime.month;
  time.wDayOfWeek = localTime.dayOfWeek;
  time.wDay = localTime.day;
  time.wHour = localTime.hour;
  time.wMinute = localTime.minute;
  time.wSecond = localTime.second;
  time.wMilliseconds = localTime.milliseconds;
  return ::SetLocalTime(&time) ? 0 : ::GetLastError();
}

}  // namespace

Win32ClockCalls SystemClockCalls() {
  return {EnableSystemTimePrivilege, [] { return BiasMinutes(ReadTimeZone()); },
          SetSystemLocalTime};
}

}  // namespace horalux
