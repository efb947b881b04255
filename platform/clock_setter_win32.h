// Setting the clock on Windows: SetLocalTime, after enabling the "change the system time"
// privilege (SE_SYSTEMTIME_NAME) in the process token. Administrators hold that privilege
// but have it disabled until a program enables it; standard accounts do not hold it at all,
// and SetLocalTime then fails with ERROR_PRIVILEGE_NOT_HELD, whose system text becomes the
// reason that the log shows after "clock not set: ".
//
// clock_setter_win32.cpp is the only file of the program that calls SetLocalTime, and only
// SystemClockCalls() refers to it. Wine hands that call to the host's clock, so tests give
// the setter calls of their own, and their programs do not contain the real one.
//
// Thread-safety: a setter is used by one thread at a time. Enabling the privilege changes
// the whole process's token and is idempotent.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/clock_setter.h"

namespace horalux {

// The system steps of setting the clock; the two calls answer 0 or a Windows error number.
struct Win32ClockCalls {
  std::function<unsigned long()> enableTimePrivilege;
  // The bias (minutes, UTC = local + bias) that SetLocalTime converts with at this moment;
  // nothing when the zone cannot be read.
  std::function<std::optional<std::int32_t>()> biasInForce;
  std::function<unsigned long(const TSystemTime&)> setLocalTime;
};

// The real steps: EnableSystemTimePrivilege, the zone's reading (base/time_zone.h) and the
// system's SetLocalTime.
Win32ClockCalls SystemClockCalls();

// Enables SE_SYSTEMTIME_NAME in this process's token. Answers 0 when it is enabled now;
// ERROR_NOT_ALL_ASSIGNED when the account does not hold it (AdjustTokenPrivileges succeeds
// then, and says so only through GetLastError); else the error of the call that failed.
unsigned long EnableSystemTimePrivilege();

// The program's setter (with the real calls by default): enables the privilege, then sets
// the clock. The privilege step decides nothing by itself: whether the right was missing
// is what the clock call answers, and its refusal's reason is SystemMessageText of its error.
// SetLocalTime converts with the daylight setting in force at the call, not with the one
// of the new moment; so the setter makes its local time with the bias in force, and when
// the call moved the clock across a change (the bias in force is another one after it),
// sets the same moment once more with the new bias, as the system's documentation asks.
std::unique_ptr<ClockSetter> MakeWin32ClockSetter(Win32ClockCalls calls = SystemClockCalls());

}  // namespace horalux
