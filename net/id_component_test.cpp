#include "net/id_component.h"

#include <gtest/gtest.h>

#include <vector>

#include "stack/exceptions.h"
#include "stack/platform_stack.h"
#include "tests/support/stack/scoped_stack.h"

namespace horalux {
namespace {

int stacksMade = 0;
int stacksFreed = 0;
class CountingStack : public TIdStackPlatform {
 public:
  CountingStack() { ++stacksMade; }
  ~CountingStack() override { ++stacksFreed; }
};
std::unique_ptr<TIdStack> MakeCountingStack() { return std::make_unique<CountingStack>(); }

TEST(SharedStackLifetime, MadeForTheFirstComponentAndFreedWithTheLast) {
  testing::ScopedStackImplementation counting(&MakeCountingStack);
  stacksMade = stacksFreed = 0;
  ASSERT_FALSE(SharedStackExists());
  {
    TIdComponent first;
    EXPECT_EQ(stacksMade, 1);
    {
      TIdComponent second;
      TIdComponent owned(&second);
      EXPECT_EQ(stacksMade, 1);
    }
    EXPECT_EQ(stacksFreed, 0);
    EXPECT_TRUE(SharedStackExists());
  }
  EXPECT_EQ(stacksFreed, 1);
  EXPECT_FALSE(SharedStackExists());
  TIdComponent again;
  EXPECT_EQ(stacksMade, 2);
}

std::unique_ptr<TIdStack> FailToMakeStack() { throw EIdStackInitializationFailed("no"); }

TEST(SharedStackLifetime, AFailedStackLeavesNoUserBehind) {
  {
    testing::ScopedStackImplementation failing(&FailToMakeStack);
    EXPECT_THROW(TIdComponent(), EIdStackInitializationFailed);
  }
  testing::ScopedStackImplementation counting(&MakeCountingStack);
  stacksMade = stacksFreed = 0;
  { TIdComponent component; }
  EXPECT_EQ(stacksMade, 1);
  EXPECT_EQ(stacksFreed, 1);
}

TEST(ReportStatus, FormatsTheTableTextWithItsArguments) {
  TIdComponent component;
  std::vector<std::pair<TIdStatus, std::string>> seen;
  component.OnStatus = [&](TComponent& sender, TIdStatus status, const std::string& text) {
    EXPECT_EQ(&sender, &component);
    seen.emplace_back(status, text);
  };
  component.ReportStatus(StatusResolving, {"timehost"});
  component.ReportStatus(StatusConnecting, {"10.0.0.1"});
  component.ReportStatus(StatusConnected, {"timehost"});
  component.ReportStatus(StatusDisconnecting);
  component.ReportStatus(StatusDisconnected);
  component.ReportStatus(StatusText3, {"free text"});
  EXPECT_EQ(seen, (std::vector<std::pair<TIdStatus, std::string>>{
                      {StatusResolving, "Resolving hostname timehost."},
                      {StatusConnecting, "Connecting to 10.0.0.1."},
                      {StatusConnected, "Connected."},
                      {StatusDisconnecting, "Disconnecting."},
                      {StatusDisconnected, "Disconnected."},
                      {StatusText3, "free text"}}));
}

class WorkTest : public ::testing::Test {
 protected:
  WorkTest() {
    component.OnWorkBegin = [this](TComponent&, TWorkMode mode, std::int32_t size) {
      events.push_back("begin " + std::to_string(mode) + " " + std::to_string(size));
    };
    component.OnWork = [this](TComponent&, TWorkMode mode, std::int32_t count) {
      events.push_back("work " + std::to_string(mode) + " " + std::to_string(count));
    };
    component.OnWorkEnd = [this](TComponent&, TWorkMode mode) {
      events.push_back("end " + std::to_string(mode));
    };
  }
  TIdComponent component;
  std::vector<std::string> events;
};

TEST_F(WorkTest, ProgressCountsOnlyInsideABeginAndEnd) {
  component.AddWork(WorkRead, 4);
  component.StartWork(WorkRead, 100);
  component.StartWork(WorkRead, 5);  // nested: only raises the level
  component.AddWork(WorkRead, 10);
  component.AddWork(WorkWrite, 3);
  component.FinishWork(WorkRead);
  component.AddWork(WorkRead, 5);
  component.FinishWork(WorkRead);
  EXPECT_EQ(events, (std::vector<std::string>{"begin 0 100", "work 0 10", "work 0 15", "end 0"}));
}

TEST_F(WorkTest, UnmatchedFinishLeavesTheLevelBelowZero) {
  component.FinishWork(WorkWrite);
  component.StartWork(WorkWrite, 8);
  component.AddWork(WorkWrite, 8);
  EXPECT_TRUE(events.empty());
  component.StartWork(WorkWrite, 9);
  EXPECT_EQ(events, std::vector<std::string>{"begin 1 9"});
}

}  // namespace
}  // namespace horalux
