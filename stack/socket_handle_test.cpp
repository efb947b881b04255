#include "stack/socket_handle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "stack/exceptions.h"
#include "stack/platform_stack.h"
#include "stack/wsa_codes.h"
#include "tests/support/loopback.h"
#include "tests/support/process_counts.h"
#include "tests/support/stack/accept_end.h"
#include "tests/support/stack/scoped_stack.h"
#include "tests/support/thread_state.h"

namespace horalux {
namespace {

using testing::RawListener;

class SocketHandleTest : public ::testing::Test {
 protected:
  testing::StackUser user;
};

TEST_F(SocketHandleTest, NewBindingTakesTheCollectionsDefaultPort) {
  TIdSocketHandles bindings(nullptr);
  bindings.DefaultPort = 37;
  TIdSocketHandle& binding = bindings.AddBinding();
  EXPECT_EQ(binding.Port, 37);
  EXPECT_EQ(binding.IP, "");
  EXPECT_EQ(binding.ClientPortMin, 0);
  EXPECT_EQ(binding.ClientPortMax, 0);
  EXPECT_FALSE(binding.HasSocket());
  EXPECT_EQ(&bindings.BindingAt(0), &binding);
}

TEST_F(SocketHandleTest, BindToPortZeroShowsThePortTheSystemChose) {
  TIdSocketHandle handle;
  handle.OpenHandle();
  handle.ClientPortMin = 5000;  // one end of the range alone is ignored
  handle.BindLocal();
  EXPECT_GT(handle.Port, 0);
  EXPECT_EQ(handle.IP, "0.0.0.0");
}

// Three consecutive free loopback ports, found afresh for every run.
int FreeRunOfThree() {
  for (int attempt = 0; attempt < 50; ++attempt) {
    const int base = RawListener().Port();
    if (base > 65000) continue;
    std::vector<testing::RawFd> probes;
    bool free = true;
    for (int port = base; port < base + 3 && free; ++port) {
      probes.push_back(testing::BoundSocket(port));
      free = probes.back().valid();
    }
    if (free) return base;
  }
  return 0;
}

TEST_F(SocketHandleTest, PortRangeIsSearchedFromTheTop) {
  const int base = FreeRunOfThree();
  ASSERT_NE(base, 0);
  testing::RawFd taken = testing::BoundSocket(base + 2);
  TIdSocketHandle handle;
  handle.OpenHandle();
  handle.IP = "127.0.0.1";
  handle.ClientPortMin = base;
  handle.ClientPortMax = base + 2;
  handle.BindLocal();
  EXPECT_EQ(handle.Port, base + 1);
}

TEST_F(SocketHandleTest, FullPortRangeRaisesAndLeavesTheLowestPort) {
  const int base = FreeRunOfThree();
  ASSERT_NE(base, 0);
  testing::RawFd a = testing::BoundSocket(base), b = testing::BoundSocket(base + 1),
                 c = testing::BoundSocket(base + 2);
  TIdSocketHandle handle;
  handle.OpenHandle();
  handle.IP = "127.0.0.1";
  handle.ClientPortMin = base;
  handle.ClientPortMax = base + 2;
  try {
    handle.BindLocal();
    FAIL() << "expected EIdCanNotBindPortInRange";
  } catch (const EIdCanNotBindPortInRange& error) {
    EXPECT_EQ(error.Message(), "Can not bind in port range (" + std::to_string(base) + " - " +
                                   std::to_string(base + 2) + ")");
  }
  EXPECT_EQ(handle.Port, base);
}

TEST_F(SocketHandleTest, InvalidRangeRaisesWithoutBinding) {
  TIdSocketHandle handle;
  handle.OpenHandle();
  handle.ClientPortMin = 7000;
  handle.ClientPortMax = 6000;
  EXPECT_THROW(handle.BindLocal(), EIdInvalidPortRange);
  EXPECT_EQ(handle.Port, 0);
  EXPECT_FALSE(handle.BindInPortRange());
}

TEST_F(SocketHandleTest, TakenPortAndForeignAddressRaiseDifferentErrors) {
  RawListener taken;
  TIdSocketHandle handle;
  handle.OpenHandle();
  handle.IP = "127.0.0.1";
  handle.Port = taken.Port();
  EXPECT_THROW(handle.BindLocal(), EIdCouldNotBindSocket);

  handle.IP = "192.0.2.1";
  handle.Port = 0;
  try {
    handle.BindLocal();
    FAIL() << "expected EIdSocketError";
  } catch (const EIdSocketError& error) {
    EXPECT_EQ(error.errorCode(), Id_WSAEADDRNOTAVAIL);
  }
}

TEST_F(SocketHandleTest, CloseKeepsTheBindingsAndIsHarmlessTwice) {
  RawListener listener;
  TIdSocketHandle handle;
  handle.CloseBinding();
  handle.OpenHandle();
  handle.BindLocal();
  handle.SetPeerAddress("127.0.0.1", listener.Port());
  ASSERT_EQ(handle.ConnectPeer(), 0);
  const int localPort = handle.Port;
  handle.CloseBinding();
  handle.CloseBinding();
  EXPECT_FALSE(handle.HasSocket());
  EXPECT_EQ(handle.Port, localPort);
  EXPECT_EQ(handle.IP, "127.0.0.1");
  EXPECT_EQ(handle.PeerAddress(), "127.0.0.1");
  EXPECT_EQ(handle.PeerPort(), listener.Port());
}

TEST_F(SocketHandleTest, PollWithoutSocketRaisesEvenWithZeroTimeOut) {
  TIdSocketHandle handle;
  EXPECT_THROW(handle.PollReadable(0), EIdConnClosedGracefully);
}

TEST_F(SocketHandleTest, AcceptWokenByACloseFromAnotherThreadReturnsFalse) {
  TIdSocketHandle listening;
  listening.OpenHandle();
  listening.IP = "127.0.0.1";
  listening.BindLocal();
  listening.StartListening(5);
  std::atomic<int> outcome{-1};
  std::atomic<int> acceptorId{0};
  std::thread acceptor([&] {
    acceptorId = testing::SystemThreadId();
    TIdSocketHandle accepted;
    // Each system ends this accept in its own way (Wine with 995); all of them are the end.
    try {
      outcome = accepted.AcceptFrom(listening.socketId()) ? 1 : 0;
    } catch (...) {
      outcome = 2;
    }
  });
  const bool waiting = testing::Eventually(
      [&] { return acceptorId != 0 && testing::BlockedInAccept(acceptorId); }, 10000);
  listening.CloseBinding();
  acceptor.join();
  EXPECT_TRUE(waiting) << "the other thread never waited in accept()";
  EXPECT_EQ(outcome.load(), 0);
}

TEST_F(SocketHandleTest, AcceptFillsBothBindings) {
  TIdSocketHandle listening;
  listening.OpenHandle();
  listening.IP = "127.0.0.1";
  listening.BindLocal();
  listening.StartListening(5);
  testing::RawFd client = testing::RawConnect(listening.Port);
  TIdSocketHandle accepted;
  ASSERT_TRUE(accepted.AcceptFrom(listening.socketId()));
  EXPECT_TRUE(accepted.HasSocket());
  EXPECT_EQ(accepted.Port, listening.Port);
  EXPECT_EQ(accepted.PeerAddress(), "127.0.0.1");
  EXPECT_GT(accepted.PeerPort(), 0);
}

TEST_F(SocketHandleTest, CopyBindingCopiesTheFourFieldsOnly) {
  TIdSocketHandle source;
  source.IP = "10.0.0.1";
  source.Port = 99;
  source.ClientPortMin = 1;
  source.SetPeerAddress("10.0.0.2", 98);
  TIdSocketHandle target;
  target.Assign(source);
  EXPECT_EQ(target.IP, "10.0.0.1");
  EXPECT_EQ(target.Port, 99);
  EXPECT_EQ(target.PeerAddress(), "10.0.0.2");
  EXPECT_EQ(target.PeerPort(), 98);
  EXPECT_EQ(target.ClientPortMin, 0);
  EXPECT_FALSE(target.HasSocket());
}

}  // namespace
}  // namespace horalux
