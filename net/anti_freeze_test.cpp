#include "net/anti_freeze.h"

#include <gtest/gtest.h>

#include <thread>

namespace horalux {
namespace {

class AntiFreezeTest : public ::testing::Test {
 protected:
  AntiFreezeTest() {
    TIdAntiFreeze::InstallPendingWork({[this] { ++all; }, [this] { ++one; }});
  }
  ~AntiFreezeTest() override { TIdAntiFreeze::InstallPendingWork({}); }
  int all = 0;
  int one = 0;
};

TEST_F(AntiFreezeTest, AppliesOnlyOnTheMainThreadWhileActive) {
  EXPECT_FALSE(TIdAntiFreezeBase::IdleProcessingApplies());
  TIdAntiFreeze antiFreeze;
  EXPECT_TRUE(TIdAntiFreezeBase::IdleProcessingApplies());
  bool elsewhere = true;
  std::thread([&] {
    elsewhere = TIdAntiFreezeBase::IdleProcessingApplies();
    TIdAntiFreezeBase::RunIdleStep(true, true);
  }).join();
  EXPECT_FALSE(elsewhere);
  EXPECT_EQ(all, 0);
  antiFreeze.Active = false;
  EXPECT_FALSE(TIdAntiFreezeBase::IdleProcessingApplies());
  TIdAntiFreezeBase::RunIdleStep(true, true);
  EXPECT_EQ(all, 0);
}

TEST_F(AntiFreezeTest, OnlyWhenIdleSkipsBusyStepsUnlessForced) {
  TIdAntiFreeze antiFreeze;
  TIdAntiFreezeBase::RunIdleStep(false, false);
  EXPECT_EQ(all, 0);
  TIdAntiFreezeBase::RunIdleStep(true, false);
  TIdAntiFreezeBase::RunIdleStep(false, true);
  EXPECT_EQ(all, 2);
  antiFreeze.OnlyWhenIdle = false;
  TIdAntiFreezeBase::RunIdleStep(false, false);
  EXPECT_EQ(all, 3);
}

TEST_F(AntiFreezeTest, WithoutPriorityHandlesAtMostOneMessage) {
  TIdAntiFreeze antiFreeze;
  antiFreeze.ApplicationHasPriority = false;
  TIdAntiFreezeBase::RunIdleStep(true, false);
  EXPECT_EQ(one, 1);
  EXPECT_EQ(all, 0);
}

TEST_F(AntiFreezeTest, TheNewestIsInUseAndDestroyingAnyLeavesNone) {
  TIdAntiFreeze first;
  {
    TIdAntiFreeze second;
    EXPECT_EQ(TIdAntiFreezeBase::Current(), &second);
  }
  EXPECT_EQ(TIdAntiFreezeBase::Current(), nullptr);
  EXPECT_FALSE(TIdAntiFreezeBase::IdleProcessingApplies());
}

}  // namespace
}  // namespace horalux
