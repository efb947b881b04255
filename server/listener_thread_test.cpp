// A listener whose accept keeps failing, made with a stack whose accept fails on demand,
// and a listener whose accept ends because the server stops.
#include "server/listener_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "server/server_test_support.h"
#include "stack/exceptions.h"
#include "stack/platform_stack.h"
#include "stack/wsa_codes.h"
#include "tests/support/stack/scoped_stack.h"
#include "tests/support/thread_state.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::AddLoopbackBinding;
using testing::BoundPort;
using testing::RawConnect;
using testing::RawFd;
using testing::ReadToClose;

// The next `failures` accepts fail with "too many open files"; every accept is timed.
struct AcceptScript {
  std::atomic<int> failures{0};
  std::mutex mutex;
  std::vector<Clock::time_point> attempts;

  void Record() {
    std::lock_guard lock(mutex);
    attempts.push_back(Clock::now());
  }
  std::vector<Clock::time_point> Attempts() {
    std::lock_guard lock(mutex);
    return attempts;
  }
};
AcceptScript* script = nullptr;

// The failure is the stack's own: its last error says so until the thread's next accept.
thread_local bool acceptFailed = false;

class FailingAcceptStack : public TIdStackPlatform {
 public:
  TIdStackSocketHandle SockAccept(TIdStackSocketHandle socket, std::string& address,
                                  int& port) override {
    acceptFailed = script->failures.fetch_sub(1) > 0;
    script->Record();  // after the decision: a recorded attempt has made it
    if (acceptFailed) return Id_INVALID_SOCKET;
    return TIdStackPlatform::SockAccept(socket, address, port);
  }
  int SockLastError() override {
    return acceptFailed ? Id_WSAEMFILE : TIdStackPlatform::SockLastError();
  }
};

std::unique_ptr<TIdStack> MakeFailingAcceptStack() {
  return std::make_unique<FailingAcceptStack>();
}

class ListenerRetryTest : public testing::ServerTest {
 protected:
  void SetUp() override {
    testing::ServerTest::SetUp();
    script = &script_;
  }
  void TearDown() override {
    script = nullptr;
    testing::ServerTest::TearDown();
  }

  AcceptScript script_;
  testing::ScopedStackImplementation stack_{&MakeFailingAcceptStack};
};

std::chrono::milliseconds Gap(const std::vector<Clock::time_point>& times, std::size_t i) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(times[i + 1] - times[i]);
}

TEST_F(ListenerRetryTest, RepeatedAcceptFailuresAreReportedEachWithAGrowingPause) {
  script_.failures = 5;
  TIdTCPServer server;
  AddLoopbackBinding(server);
  server.ListenRetryPause = 40ms;
  server.ListenRetryPauseMax = 160ms;
  std::atomic<int> reported{0};
  std::atomic<bool> allAsExpected{true};
  server.OnListenException = [&](TIdListenerThread& listener, const std::exception& error) {
    const auto* socketError = dynamic_cast<const EIdSocketError*>(&error);
    if (socketError == nullptr || socketError->errorCode() != Id_WSAEMFILE ||
        &listener.ListenBinding() != &server.Bindings().BindingAt(0)) {
      allAsExpected = false;
    }
    ++reported;
  };
  server.OnExecute = [](TIdPeerThread& peer) {
    peer.Connection().WriteText("x");
    peer.Connection().CloseConnection();
  };
  server.SetActive(true);
  RawFd client = RawConnect(BoundPort(server));
  EXPECT_EQ(ReadToClose(client.get()), "x");  // served once the failures are over
  EXPECT_EQ(reported, 5);
  EXPECT_TRUE(allAsExpected);
  const std::vector<Clock::time_point> attempts = script_.Attempts();
  ASSERT_GE(attempts.size(), 6u);
  const std::chrono::milliseconds expected[] = {40ms, 80ms, 160ms, 160ms, 160ms};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_GE(Gap(attempts, i), expected[i]) << i;
  server.SetActive(false);
}

TEST_F(ListenerRetryTest, PauseStartsShortAgainAfterAnAcceptSucceeded) {
  script_.failures = 4;  // pauses 100, 200, 400, 800 ms
  TIdTCPServer server;
  AddLoopbackBinding(server);
  server.ListenRetryPause = 100ms;
  server.ListenRetryPauseMax = 10s;
  server.OnExecute = [](TIdPeerThread& peer) { peer.Connection().CloseConnection(); };
  server.SetActive(true);
  RawFd first = RawConnect(BoundPort(server));
  EXPECT_EQ(ReadToClose(first.get()), "");
  ASSERT_TRUE(testing::Eventually([&] { return script_.Attempts().size() == 6; }));
  script_.failures = 2;  // the accept under way succeeds, the next two fail
  RawFd second = RawConnect(BoundPort(server));
  EXPECT_EQ(ReadToClose(second.get()), "");
  RawFd third = RawConnect(BoundPort(server));
  EXPECT_EQ(ReadToClose(third.get()), "");
  const std::vector<Clock::time_point> attempts = script_.Attempts();
  ASSERT_GE(attempts.size(), 9u);
  // Attempts 6 and 7 fail: without the restart the first pause would be 1600 ms.
  EXPECT_GE(Gap(attempts, 6), 100ms);
  EXPECT_LT(Gap(attempts, 6), 1000ms);
  EXPECT_GE(Gap(attempts, 7), 200ms);
  server.SetActive(false);
}

TEST_F(ListenerRetryTest, DeactivationCutsAPauseShort) {
  script_.failures = 1 << 30;
  TIdTCPServer server;
  AddLoopbackBinding(server);
  server.ListenRetryPause = 60s;
  std::atomic<int> listener{0};
  server.OnListenException = [&](TIdListenerThread&, const std::exception&) {
    listener = testing::SystemThreadId();
  };
  server.SetActive(true);
  // The report comes just before the pause; after it the listener only sleeps there.
  ASSERT_TRUE(testing::Eventually([&] { return listener != 0 && testing::Sleeping(listener); }));
  const auto start = Clock::now();
  server.SetActive(false);
  EXPECT_LT(Clock::now() - start, 30s);  // far below the pause it was in
  EXPECT_EQ(script_.Attempts().size(), 1u);
}

// Which thread accepted last, so that a test can wait until it really waits in accept.
std::atomic<int> acceptingThread{0};

class WatchedAcceptStack : public TIdStackPlatform {
 public:
  TIdStackSocketHandle SockAccept(TIdStackSocketHandle socket, std::string& address,
                                  int& port) override {
    acceptingThread = testing::SystemThreadId();
    return TIdStackPlatform::SockAccept(socket, address, port);
  }
};

std::unique_ptr<TIdStack> MakeWatchedAcceptStack() {
  return std::make_unique<WatchedAcceptStack>();
}

class ListenerEndTest : public testing::ServerTest {
 protected:
  testing::ScopedStackImplementation stack_{&MakeWatchedAcceptStack};
};

TEST_F(ListenerEndTest, DeactivationEndsAWaitingAcceptWithoutAReport) {
  acceptingThread = 0;
  TIdTCPServer server;
  AddLoopbackBinding(server);
  std::vector<std::string> reports;  // read only after the listener was joined
  server.OnListenException = [&](TIdListenerThread&, const std::exception& error) {
    reports.emplace_back(error.what());
  };
  server.SetActive(true);
  ASSERT_TRUE(testing::Eventually([] {
    const int listener = acceptingThread;
    return listener != 0 && testing::BlockedInAccept(listener);
  }));
  server.SetActive(false);
  EXPECT_EQ(reports, std::vector<std::string>{});
}

}  // namespace
}  // namespace horalux
