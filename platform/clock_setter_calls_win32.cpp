// The setter over the calls it is given, and the privilege step. The system's SetLocalTime
// is kept apart in clock_setter_win32.cpp, so that a program that never asks for the real
// calls (every test) does not even contain it.
#include <windows.h>

#include "platform/clock_setter_win32.h"
#include "platform/system_message_win32.h"

namespace horalux {
namespace {

class Win32ClockSetter : public ClockSetter {
 public:
  explicit Win32ClockSetter(Win32ClockCalls calls) : calls_(std::move(calls)) {}

  std::string SetLocalTime(const TSystemTime& localTime, std::int32_t biasMinutes) override {
    calls_.enableTimePrivilege();
    const std::int64_t moment = UtcMillisecondsOf(localTime, biasMinutes);
    const std::int32_t before = calls_.biasInForce().value_or(biasMinutes);
    unsigned long error = calls_.setLocalTime(LocalRecord(moment, before));
    if (error == 0) {
      const std::int32_t after = calls_.biasInForce().value_or(before);
      if (after != before) error = calls_.setLocalTime(LocalRecord(moment, after));
    }
    return error == 0 ? std::string() : SystemMessageText(error);
  }

 private:
  static TSystemTime LocalRecord(std::int64_t utcMs, std::int32_t biasMinutes) {
    return UnixMillisecondsToSystemTime(utcMs - std::int64_t{biasMinutes} * 60'000);
  }

  Win32ClockCalls calls_;
};

}  // namespace

unsigned long EnableSystemTimePrivilege() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return ::GetLastError();
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  DWORD error = ERROR_SUCCESS;
  if (!::LookupPrivilegeValueA(nullptr, SE_SYSTEMTIME_NAME, &privileges.Privileges[0].Luid)) {
    error = ::GetLastError();
  } else {
    // Success with ERROR_NOT_ALL_ASSIGNED: the account lacks the privilege.
    ::SetLastError(ERROR_SUCCESS);
    const BOOL adjusted = ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    error = ::GetLastError();
    if (!adjusted && error == ERROR_SUCCESS) error = ERROR_GEN_FAILURE;
  }
  ::CloseHandle(token);
  return error;
}

std::unique_ptr<ClockSetter> MakeWin32ClockSetter(Win32ClockCalls calls) {
  return std::make_unique<Win32ClockSetter>(std::move(calls));
}

}  // namespace horalux
