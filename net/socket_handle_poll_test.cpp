// How a socket handle waits for data on the main thread while the anti-freeze is active:
// in slices, running the window's pending work between them.
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "net/anti_freeze.h"
#include "stack/platform_stack.h"
#include "stack/socket_handle.h"
#include "tests/support/loopback.h"
#include "tests/support/stack/scoped_stack.h"

namespace horalux {
namespace {

using testing::RawListener;

// Records the time-out of every wait; the waits themselves are real. A test may act
// between two waits.
std::vector<int> waits;
std::function<void()> betweenWaits;
class RecordingStack : public TIdStackPlatform {
 public:
  int SockWait(TIdSocketList* read, TIdSocketList* write, int timeout,
               TIdSocketList* error) override {
    if (!waits.empty() && betweenWaits) betweenWaits();
    waits.push_back(timeout);
    return TIdStackPlatform::SockWait(read, write, timeout, error);
  }
};
std::unique_ptr<TIdStack> MakeRecordingStack() { return std::make_unique<RecordingStack>(); }

class PollSlicingTest : public ::testing::Test {
 protected:
  PollSlicingTest() : recording(&MakeRecordingStack) {
    waits.clear();
    betweenWaits = nullptr;
    TIdAntiFreeze::InstallPendingWork({[this] { ++idleSteps; }, nullptr});
    handle.OpenHandle();
    handle.SetPeerAddress("127.0.0.1", listener.Port());
    EXPECT_EQ(handle.ConnectPeer(), 0);
    peer = listener.Accept();
  }
  ~PollSlicingTest() override {
    TIdAntiFreeze::InstallPendingWork({});
    betweenWaits = nullptr;
  }

  testing::ScopedStackImplementation recording;
  testing::StackUser user;
  TIdAntiFreeze antiFreeze;
  RawListener listener;
  TIdSocketHandle handle;
  testing::RawFd peer;
  int idleSteps = 0;
};

TEST_F(PollSlicingTest, MainThreadWaitsInWholeSlicesWithAnIdleStepAfterEach) {
  EXPECT_FALSE(handle.PollReadable(1000));
  EXPECT_EQ(waits, (std::vector<int>{250, 250, 250, 250}));
  EXPECT_EQ(idleSteps, 4);
}

TEST_F(PollSlicingTest, TheOddPartComesFirst) {
  EXPECT_FALSE(handle.PollReadable(1100));
  EXPECT_EQ(waits, (std::vector<int>{100, 250, 250, 250, 250}));
}

TEST_F(PollSlicingTest, DataEndsTheWaitAfterItsSlice) {
  betweenWaits = [&] {
    if (waits.size() == 1) testing::WriteAll(peer.get(), "x");
  };
  EXPECT_TRUE(handle.PollReadable(1000));
  EXPECT_GE(waits.size(), 2u);
  EXPECT_LT(waits.size(), 4u);
  EXPECT_EQ(idleSteps, static_cast<int>(waits.size()) - 1);  // the finding wait is not idle
}

TEST_F(PollSlicingTest, OtherThreadsAndInactiveAntiFreezeWaitOnce) {
  std::thread other([&] { EXPECT_FALSE(handle.PollReadable(100)); });
  other.join();
  EXPECT_EQ(waits, std::vector<int>{100});
  antiFreeze.Active = false;
  EXPECT_FALSE(handle.PollReadable(60));
  EXPECT_EQ(waits, (std::vector<int>{100, 60}));
  EXPECT_EQ(idleSteps, 0);
}

}  // namespace
}  // namespace horalux
