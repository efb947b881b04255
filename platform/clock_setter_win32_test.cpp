// The Windows setter with calls of the test's own: the system's SetLocalTime would reach the
// host's clock through Wine. Only the privilege step runs for real; it changes nothing but
// this test process's token.
#include "platform/clock_setter_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/system_message_win32.h"
#include "platform/zone_change_cases_testing.h"

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
          [] { return std::optional<std::int32_t>(0); },
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
  EXPECT_EQ(setter->SetLocalTime(kMoment, 0), "");
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
  const std::string reason = refused->SetLocalTime(kMoment, 0);
  EXPECT_EQ(reason, SystemMessageText(ERROR_PRIVILEGE_NOT_HELD));
  ASSERT_FALSE(reason.empty());
  EXPECT_NE(reason.back(), '.');

  auto allowed = MakeWin32ClockSetter(Recording(log, ERROR_NOT_ALL_ASSIGNED, 0));
  EXPECT_EQ(allowed->SetLocalTime(kMoment, 0), "");
}

// The system as its documentation describes it: SetLocalTime turns the local time into UTC
// with the bias in force at the call, which afterwards is the one of the new moment.
class ZonedSystemClock {
 public:
  ZonedSystemClock(const testing::ZoneChange& zone, std::int64_t nowUtcMs)
      : zone_(zone), utcMs_(nowUtcMs) {}

  Win32ClockCalls Calls() {
    return {[] { return 0ul; }, [this] { return std::optional(zone_.BiasAt(utcMs_)); },
            [this](const TSystemTime& local) {
              utcMs_ = UnixMilliseconds(local) + zone_.BiasAt(utcMs_) * 60'000;
              ++calls_;
              return 0ul;
            }};
  }
  std::int64_t UtcMs() const { return utcMs_; }
  int SetCalls() const { return calls_; }

 private:
  testing::ZoneChange zone_;
  std::int64_t utcMs_;
  int calls_ = 0;
};

TEST(Win32ClockSetter, SetsTheHostsMomentAcrossTheZonesChanges) {
  for (const testing::ZoneChangeCase& step : testing::ZoneChangeCases()) {
    const std::int32_t bias = step.zone.BiasAt(step.nowUtcMs);
    const TSystemTime local = UnixMillisecondsToSystemTime(step.targetUtcMs - bias * 60'000);
    // The run's reading, and a call that comes only after the change (the bias in force
    // is another one than the run's by then).
    for (const std::int64_t clockAtCall : {step.nowUtcMs, step.zone.atUtcMs}) {
      ZonedSystemClock system(step.zone, clockAtCall);
      EXPECT_EQ(MakeWin32ClockSetter(system.Calls())->SetLocalTime(local, bias), "") << step.name;
      EXPECT_EQ(system.UtcMs(), step.targetUtcMs) << step.name << ", clock at " << clockAtCall;
      const bool crossed = step.zone.BiasAt(clockAtCall) != step.zone.BiasAt(step.targetUtcMs);
      EXPECT_EQ(system.SetCalls(), crossed ? 2 : 1) << step.name;
    }
  }
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
