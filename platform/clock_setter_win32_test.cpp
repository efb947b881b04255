// The Windows setter with calls of the test's own: the system's SetLocalTime would reach the
// host's clock through Wine. Only the privilege step runs for real; it changes nothing but
// this test process's token.
#include "platform/clock_setter_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/system_message_win32.h"

namespace horalux {
namespace {

struct CallLog {
  std::vector<std::string> steps;
  std::vector<TSystemTime> times;
};

Win32ClockCalls Recording(CallLog& log, unsigned long privilegeAnswer, unsigned long setAnswer) {
  return {[&log, privilegeAnswer] {
            log.steps.push_back("privilege");
            return privilegeAnswer;
          },
          [&log, setAnswer](const TSystemTime& time) {
            log.steps.push_back("set");
            log.times.push_back(time);
            return setAnswer;
          }};
}

const TSystemTime kMoment{2026, 12, 2, 8, 10, 13, 1, 868};

TEST(Win32ClockSetter, EnablesThePrivilegeThenSetsTheTimeItWasGiven) {
  CallLog log;
  auto setter = MakeWin32ClockSetter(Recording(log, 0, 0));
  EXPECT_EQ(setter->SetLocalTime(kMoment), "");
  EXPECT_EQ(log.steps, (std::vector<std::string>{"privilege", "set"}));
  ASSERT_EQ(log.times.size(), 1u);
  EXPECT_EQ(log.times[0].year, 2026);
  EXPECT_EQ(log.times[0].dayOfWeek, 2);
  EXPECT_EQ(log.times[0].milliseconds, 868);
}

TEST(Win32ClockSetter, ARefusalGivesTheSystemsReasonAndAMissingPrivilegeAloneDoesNot) {
  CallLog log;
  auto refused =
      MakeWin32ClockSetter(Recording(log, ERROR_NOT_ALL_ASSIGNED, ERROR_PRIVILEGE_NOT_HELD));
  const std::string reason = refused->SetLocalTime(kMoment);
  EXPECT_EQ(reason, SystemMessageText(ERROR_PRIVILEGE_NOT_HELD));
  ASSERT_FALSE(reason.empty());
  EXPECT_NE(reason.back(), '.');

  auto allowed = MakeWin32ClockSetter(Recording(log, ERROR_NOT_ALL_ASSIGNED, 0));
  EXPECT_EQ(allowed->SetLocalTime(kMoment), "");
}

// Whether the privilege is in this process's token now, and enabled.
struct TokenState {
  bool held = false;
  bool enabled = false;
};

TokenState SystemTimePrivilegeOfThisProcess() {
  TokenState state;
  HANDLE token = nullptr;
  LUID wanted{};
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return state;
  DWORD size = 0;
  ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (::LookupPrivilegeValueA(nullptr, SE_SYSTEMTIME_NAME, &wanted) &&
      ::GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
      if (entry.Luid.LowPart != wanted.LowPart || entry.Luid.HighPart != wanted.HighPart) continue;
      state.held = true;
      state.enabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
  }
  ::CloseHandle(token);
  return state;
}

TEST(Win32ClockSetter, ThePrivilegeStepEnablesWhatTheAccountHoldsAndSaysWhenItHoldsNothing) {
  const unsigned long answer = EnableSystemTimePrivilege();
  const TokenState after = SystemTimePrivilegeOfThisProcess();
  if (after.held) {
    EXPECT_EQ(answer, 0u);
    EXPECT_TRUE(after.enabled);
  } else {
    EXPECT_EQ(answer, static_cast<unsigned long>(ERROR_NOT_ALL_ASSIGNED));
  }
}

}  // namespace
}  // namespace horalux
