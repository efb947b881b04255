#include "net/io_handler_socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "net/anti_freeze.h"
#include "stack/exceptions.h"
#include "stack/wsa_codes.h"
#include "tests/support/loopback.h"
#include "tests/support/process_counts.h"

namespace horalux {
namespace {

using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class IOHandlerTest : public ::testing::Test {
 protected:
  IOHandlerTest() {
    handler.OnStatus = [this](TComponent& sender, TIdStatus, const std::string& text) {
      EXPECT_EQ(&sender, &handler);
      statuses.push_back(text);
    };
    handler.Prepare();
  }

  void Connect(const std::string& host, int port, int timeout) {
    handler.ConnectTo(host, port, "", 0, 0, 0, timeout);
  }

  TIdIOHandlerSocket handler;
  std::vector<std::string> statuses;
};

TEST_F(IOHandlerTest, WithoutASocketReceiveAndSendRaiseDisconnected) {
  char byte = 0;
  try {
    handler.ReceiveSome(&byte, 1);
    FAIL() << "expected EIdNotConnected";
  } catch (const EIdNotConnected& error) {
    EXPECT_EQ(error.Message(), "Disconnected.");
  }
  EXPECT_THROW(handler.SendSome(&byte, 1), EIdNotConnected);
  EXPECT_THROW(handler.WaitReadable(0), EIdConnClosedGracefully);
  EXPECT_FALSE(handler.IsOpen());
}

TEST_F(IOHandlerTest, NumericHostConnectsWithoutResolving) {
  testing::RawListener listener;
  Connect("127.0.0.1", listener.Port(), 2000);
  EXPECT_TRUE(handler.IsOpen());
  EXPECT_EQ(statuses, std::vector<std::string>{"Connecting to 127.0.0.1."});
  EXPECT_EQ(handler.Binding()->PeerPort(), listener.Port());
}

TEST_F(IOHandlerTest, NamedHostIsResolvedFirst) {
  testing::RawListener listener;
  Connect("localhost", listener.Port(), UseDefaultTimeout);
  EXPECT_EQ(statuses, (std::vector<std::string>{"Resolving hostname localhost.",
                                                "Connecting to 127.0.0.1."}));
}

TEST_F(IOHandlerTest, RefusedTimedConnectCarriesTheSocketErrorText) {
  const auto start = Clock::now();
  try {
    Connect("127.0.0.1", testing::RefusingPort(), 2000);
    FAIL() << "expected EIdConnectException";
  } catch (const EIdConnectException& error) {
    EXPECT_EQ(error.Message(), "Socket Error # 10061\r\nConnection refused.");
  }
  EXPECT_GE(MillisecondsSince(start), 120);  // noticed at the end of the first slice
}

TEST_F(IOHandlerTest, RefusedPlainConnectRaisesTheSocketError) {
  try {
    Connect("127.0.0.1", testing::RefusingPort(), UseDefaultTimeout);
    FAIL() << "expected EIdSocketError";
  } catch (const EIdSocketError& error) {
    EXPECT_EQ(error.errorCode(), Id_WSAECONNREFUSED);
  }
}

TEST_F(IOHandlerTest, ConnectThatCannotCompleteTimesOutAndLeavesNothingBehind) {
  testing::UnreachablePeer unreachable;
  const int threads = testing::ThreadCount();
  const int descriptors = testing::OpenDescriptorCount();
  const auto start = Clock::now();
  try {
    Connect("127.0.0.1", unreachable.Port(), 300);
    FAIL() << "expected EIdConnectTimeout";
  } catch (const EIdConnectTimeout& error) {
    EXPECT_EQ(error.Message(), "Connect timed out.");
  }
  EXPECT_GE(MillisecondsSince(start), 300);
  EXPECT_LT(MillisecondsSince(start), 3000);
  EXPECT_FALSE(handler.IsOpen());
  // A joined thread may stay listed for a moment.
  EXPECT_TRUE(testing::Eventually([threads] { return testing::ThreadCount() == threads; }))
      << testing::ThreadCount() << " threads, " << threads << " before";
  EXPECT_EQ(testing::OpenDescriptorCount(), descriptors);
}

TEST_F(IOHandlerTest, LimitBelowOneSliceIsOneSleepWithoutIdleStep) {
  TIdAntiFreeze antiFreeze;
  int idleSteps = 0;
  TIdAntiFreeze::InstallPendingWork({[&] { ++idleSteps; }, nullptr});
  testing::UnreachablePeer unreachable;
  const auto start = Clock::now();
  EXPECT_THROW(Connect("127.0.0.1", unreachable.Port(), 50), EIdConnectTimeout);
  TIdAntiFreeze::InstallPendingWork({});
  EXPECT_GE(MillisecondsSince(start), 50);
  EXPECT_EQ(idleSteps, 0);
}

TEST_F(IOHandlerTest, MainThreadWithAntiFreezeUsesItsSliceAndRunsIdleSteps) {
  TIdAntiFreeze antiFreeze;
  antiFreeze.IdleTimeOut = 50;
  int idleSteps = 0;
  TIdAntiFreeze::InstallPendingWork({[&] { ++idleSteps; }, nullptr});
  testing::UnreachablePeer unreachable;
  EXPECT_THROW(Connect("127.0.0.1", unreachable.Port(), 500), EIdConnectTimeout);
  TIdAntiFreeze::InstallPendingWork({});
  EXPECT_EQ(idleSteps, 9);  // 500 ms in 50 ms slices: nine steps, then the last sleep
}

// How a quit request ends a run: the idle step that handles it closes the socket.
TEST_F(IOHandlerTest, AnIdleStepThatShutsTheHandlerEndsAHangingConnectAtTheNextSlice) {
  TIdAntiFreeze antiFreeze;
  antiFreeze.IdleTimeOut = 50;
  TIdAntiFreeze::InstallPendingWork({[this] { handler.Shut(); }, nullptr});
  testing::UnreachablePeer unreachable;
  const int threads = testing::ThreadCount();
  const auto start = Clock::now();
  EXPECT_THROW(Connect("127.0.0.1", unreachable.Port(), 60000), EIdNotConnected);
  TIdAntiFreeze::InstallPendingWork({});
  EXPECT_LT(MillisecondsSince(start), 3000);
  EXPECT_FALSE(handler.IsOpen());
  EXPECT_EQ(testing::ThreadCount(), threads);
}

TEST_F(IOHandlerTest, WithoutNagleTheSocketGetsNoDelayBeforeConnecting) {
  testing::RawListener listener;
  handler.UseNagle = false;
  Connect("127.0.0.1", listener.Port(), 2000);
  std::int32_t value = 0;
  int length = sizeof value;
  SharedStack().SockGetOption(handler.Binding()->socketId(), Id_IPPROTO_TCP, Id_TCP_NODELAY, &value,
                              length);
  EXPECT_EQ(value, 1);
}

TEST_F(IOHandlerTest, ShutClosesAndPrepareClearsTheBinding) {
  testing::RawListener listener;
  Connect("127.0.0.1", listener.Port(), 2000);
  handler.Shut();
  EXPECT_FALSE(handler.IsOpen());
  EXPECT_EQ(handler.Binding()->PeerPort(), listener.Port());
  handler.Prepare();
  EXPECT_EQ(handler.Binding()->PeerPort(), 0);
}

TEST(SocksInfo, OwnedSettingsAreReferencedUnownedOnesCopied) {
  TIdIOHandlerSocket handler;
  EXPECT_EQ(handler.SocksInfo().Version, svNoSocks);
  TIdComponent owner;
  auto* owned = &MakeComponent<TIdSocksInfo>(owner);
  owned->Port = 9;
  handler.SetSocksInfo(owned);
  EXPECT_EQ(&handler.SocksInfo(), owned);
  TComponent::Free(owned);
  EXPECT_NE(handler.SocksInfo().Port, 9);  // the reference was dropped; a fresh one is made
  TIdSocksInfo loose;
  loose.Port = 7;
  handler.SetSocksInfo(&loose);
  EXPECT_NE(&handler.SocksInfo(), &loose);
  EXPECT_EQ(handler.SocksInfo().Port, 7);
}

}  // namespace
}  // namespace horalux
