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

#include <functional>
#include <memory>

#include "platform/clock_setter.h"

namespace horalux {

// The two system steps of setting the clock, each answering 0 or a Windows error number.
struct Win32ClockCalls {
  std::function<unsigned long()> enableTimePrivilege;
  std::function<unsigned long(const TSystemTime&)> setLocalTime;
};

// The real steps: EnableSystemTimePrivilege and the system's SetLocalTime.
Win32ClockCalls SystemClockCalls();

// Enables SE_SYSTEMTIME_NAME in this process's token. Answers 0 when it is enabled now;
// ERROR_NOT_ALL_ASSIGNED when the account does not hold it (AdjustTokenPrivileges succeeds
// then, and says so only through GetLastError); else the error of the call that failed.
unsigned long EnableSystemTimePrivilege();

// The program's setter (with the real calls by default): enables the privilege, then sets
// the clock. The privilege step decides nothing by itself: whether the right was missing
// is what the clock call answers, and its refusal's reason is SystemMessageText of its error.
std::unique_ptr<ClockSetter> MakeWin32ClockSetter(Win32ClockCalls calls = SystemClockCalls());

}  // namespace horalux
