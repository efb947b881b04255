#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "stack/exceptions.h"
#include "stack/platform_stack.h"
#include "stack/wsa_codes.h"
#include "tests/support/loopback.h"
#include "tests/support/process_counts.h"
#include "tests/support/stack/accept_end.h"
#include "tests/support/thread_state.h"

namespace horalux {
namespace {

using testing::RawConnect;
using testing::RawListener;
using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A stack whose name lookup is stubbed: no test may ask a resolver off this machine.
class StubLookupStack : public TIdStackPlatform {
 public:
  std::string LookupAddressOf(const std::string& hostName) override {
    lookups.push_back(hostName);
    return "10.9.8.7";
  }
  std::vector<std::string> lookups;
};

class StackTest : public ::testing::Test {
 protected:
  TIdStackSocketHandle Socket() {
    const TIdStackSocketHandle socket = stack.OpenSocket(Id_SOCK_STREAM, 0);
    sockets.push_back(socket);
    return socket;
  }
  void TearDown() override {
    for (TIdStackSocketHandle socket : sockets) stack.SockClose(socket);
  }

  TIdStackPlatform stack;
  std::vector<TIdStackSocketHandle> sockets;
};

TEST_F(StackTest, VerifySocketResultIgnoresSuccessAndTellsToleratedFailures) {
  EXPECT_FALSE(stack.VerifySocketResult(0));
  EXPECT_FALSE(stack.VerifySocketResult(5, {Id_WSAEADDRINUSE}));

  RawListener taken;
  const TIdStackSocketHandle socket = Socket();
  const int result = stack.SockBind(socket, Id_AF_INET, taken.Port(), "127.0.0.1");
  EXPECT_TRUE(stack.VerifySocketResult(result, {Id_WSAEADDRINUSE}));
  EXPECT_EQ(stack.lastSocketError(), Id_WSAEADDRINUSE);
  try {
    stack.VerifySocketResult(result);
    FAIL() << "expected EIdSocketError";
  } catch (const EIdSocketError& error) {
    EXPECT_EQ(error.errorCode(), Id_WSAEADDRINUSE);
    EXPECT_EQ(error.Message(), "Socket Error # 10048\r\nAddress already in use.");
  }
}

TEST_F(StackTest, RefusedConnectReportsWinSockCode) {
  const TIdStackSocketHandle socket = Socket();
  const int result = stack.SockConnect(socket, Id_AF_INET, testing::RefusingPort(), "127.0.0.1");
  EXPECT_EQ(result, Id_SOCKET_ERROR);
  EXPECT_EQ(stack.SockLastError(), Id_WSAECONNREFUSED);
}

TEST_F(StackTest, BindToAnAddressThatIsNotLocalReportsWinSockCode) {
  const TIdStackSocketHandle socket = Socket();
  // 192.0.2.1 is a documentation address; binding to it sends nothing anywhere.
  EXPECT_EQ(stack.SockBind(socket, Id_AF_INET, 0, "192.0.2.1"), Id_SOCKET_ERROR);
  EXPECT_EQ(stack.SockLastError(), Id_WSAEADDRNOTAVAIL);
}

TEST_F(StackTest, LastErrorBelongsToTheThreadThatFailed) {
  RawListener taken;
  const TIdStackSocketHandle socket = Socket();
  stack.VerifySocketResult(stack.SockBind(socket, Id_AF_INET, taken.Port(), "127.0.0.1"),
                           {Id_WSAEADDRINUSE});
  std::thread other([&] {
    const TIdStackSocketHandle another = stack.OpenSocket(Id_SOCK_STREAM, 0);
    stack.VerifySocketResult(
        stack.SockConnect(another, Id_AF_INET, testing::RefusingPort(), "127.0.0.1"),
        {Id_WSAECONNREFUSED});
    EXPECT_EQ(stack.lastSocketError(), Id_WSAECONNREFUSED);
    stack.SockClose(another);
  });
  other.join();
  EXPECT_EQ(stack.lastSocketError(), Id_WSAEADDRINUSE);
  EXPECT_EQ(stack.SockLastError(), Id_WSAEADDRINUSE);
}

TEST_F(StackTest, SendToAResetPeerFailsWithoutSignal) {
  RawListener listener;
  const TIdStackSocketHandle socket = Socket();
  ASSERT_EQ(stack.SockConnect(socket, Id_AF_INET, listener.Port(), "127.0.0.1"), 0);
  {
    testing::RawFd peer = listener.Accept();
    testing::ResetOnClose(peer.get());
  }
  TIdSocketList resetArrived{socket};  // a reset makes the socket readable
  ASSERT_EQ(stack.SockWait(&resetArrived, nullptr, 5000, nullptr), 1);
  const std::string data(1024, 'x');
  int result = 0;
  for (int i = 0; i < 10 && result != Id_SOCKET_ERROR; ++i) {
    result = stack.SockSend(socket, data.data(), static_cast<int>(data.size()), 0);
  }
  ASSERT_EQ(result, Id_SOCKET_ERROR);  // and the process is still here: no SIGPIPE
  EXPECT_TRUE(stack.SockLastError() == Id_WSAECONNRESET || stack.SockLastError() == Id_WSAESHUTDOWN)
      << stack.SockLastError();
}

TEST_F(StackTest, SockWaitTakesSixtyFourSocketsAndRefusesSixtyFive) {
  TIdSocketList list;
  for (int i = 0; i < 64; ++i) {
    list.push_back(Socket());  // listening and idle: never ready
    ASSERT_EQ(stack.SockBind(list.back(), Id_AF_INET, 0, "127.0.0.1"), 0);
    ASSERT_EQ(stack.SockListen(list.back(), 1), 0);
  }
  EXPECT_EQ(stack.SockWait(&list, nullptr, 0, nullptr), 0);

  list.clear();
  for (int i = 0; i < 65; ++i) list.push_back(sockets[static_cast<std::size_t>(i % 64)]);
  const auto start = Clock::now();
  EXPECT_THROW(stack.SockWait(&list, nullptr, 2000, nullptr), EIdStackSetSizeExceeded);
  EXPECT_LT(MillisecondsSince(start), 1000);
  EXPECT_EQ(list.size(), 65u);
}

TEST_F(StackTest, SockWaitKeepsOnlyReadySocketsAndHonoursItsTimeOut) {
  RawListener listener;
  const TIdStackSocketHandle quiet = Socket();
  const TIdStackSocketHandle talking = Socket();
  ASSERT_EQ(stack.SockConnect(quiet, Id_AF_INET, listener.Port(), "127.0.0.1"), 0);
  testing::RawFd quietPeer = listener.Accept();
  ASSERT_EQ(stack.SockConnect(talking, Id_AF_INET, listener.Port(), "127.0.0.1"), 0);
  testing::RawFd talkingPeer = listener.Accept();

  TIdSocketList list{quiet, talking};
  auto start = Clock::now();
  EXPECT_EQ(stack.SockWait(&list, nullptr, 300, nullptr), 0);
  EXPECT_GE(MillisecondsSince(start), 290);
  EXPECT_TRUE(list.empty());

  ASSERT_TRUE(testing::WriteAll(talkingPeer.get(), "x"));
  list = {quiet, talking};
  TIdSocketList writable{quiet};
  start = Clock::now();
  EXPECT_EQ(stack.SockWait(&list, &writable, WaitForever, nullptr), 2);
  EXPECT_LT(MillisecondsSince(start), 1000);
  EXPECT_EQ(list, TIdSocketList{talking});
  EXPECT_EQ(writable, TIdSocketList{quiet});
}

TEST_F(StackTest, ClosingASocketWakesAnAcceptOnAnotherThread) {
  const TIdStackSocketHandle listening = Socket();
  ASSERT_EQ(stack.SockBind(listening, Id_AF_INET, 0, "127.0.0.1"), 0);
  ASSERT_EQ(stack.SockListen(listening, 5), 0);
  std::atomic<int> code{0};
  std::atomic<int> acceptorId{0};
  std::thread acceptor([&] {
    acceptorId = testing::SystemThreadId();
    std::string address;
    int port = 0;
    if (stack.SockAccept(listening, address, port) == Id_INVALID_SOCKET) {
      code = stack.SockLastError();
    }
  });
  const bool waiting = testing::Eventually(
      [&] { return acceptorId != 0 && testing::BlockedInAccept(acceptorId); }, 10000);
  stack.SockShutdown(listening, Id_SD_SEND);
  stack.SockClose(listening);
  sockets.clear();
  acceptor.join();
  EXPECT_TRUE(waiting) << "the other thread never waited in accept()";
  EXPECT_TRUE(testing::EndsAcceptWokenByClose(code.load())) << code.load();
}

TEST_F(StackTest, ClosedSocketsReleaseTheirDescriptors) {
  const int before = testing::OpenDescriptorCount();
  for (int i = 0; i < 20; ++i) stack.SockClose(stack.OpenSocket(Id_SOCK_STREAM, 0));
  EXPECT_EQ(testing::OpenDescriptorCount(), before);
}

TEST(LookupHostAddress, AnswersLocalhostAndDottedQuadsWithoutLookup) {
  StubLookupStack stack;
  EXPECT_EQ(stack.LookupHostAddress("localhost"), "127.0.0.1");
  EXPECT_EQ(stack.LookupHostAddress("LocalHost"), "127.0.0.1");
  EXPECT_EQ(stack.LookupHostAddress("10.1.2.3"), "10.1.2.3");
  EXPECT_TRUE(stack.lookups.empty());
  EXPECT_EQ(stack.LookupHostAddress("10.1.2.300"), "10.9.8.7");
  EXPECT_EQ(stack.lookups, std::vector<std::string>{"10.1.2.300"});
}

TEST(LookupHostAddress, AnEmptyHostIsNotFoundWithoutLookup) {
  StubLookupStack stack;
  try {
    stack.LookupHostAddress("");
    FAIL() << "expected EIdSocketError";
  } catch (const EIdSocketError& error) {
    EXPECT_EQ(error.errorCode(), Id_WSAHOST_NOT_FOUND);
  }
  EXPECT_TRUE(stack.lookups.empty());
}

TEST(LookupHostAddress, RealLookupOfTheMachineNameFindsAnAddress) {
  TIdStackPlatform stack;
  const std::string name = stack.MachineHostName();
  ASSERT_FALSE(name.empty());
  EXPECT_LT(name.size(), 250u);
  EXPECT_TRUE(TIdStack::IsDottedQuad(stack.LookupAddressOf("localhost")));
}

TEST(ServicePortOf, TakesNumbersAndRefusesOtherText) {
  TIdStackPlatform stack;
  EXPECT_EQ(stack.ServicePortOf("4711"), 4711);
  try {
    stack.ServicePortOf("no-such-service-here");
    FAIL() << "expected EIdInvalidServiceName";
  } catch (const EIdInvalidServiceName& error) {
    EXPECT_EQ(error.Message(), "no-such-service-here is not a valid service.");
  }
}

TEST(OpenSocket, RefusalRaisesCannotAllocate) {
  class RefusingStack : public TIdStackPlatform {
   public:
    TIdStackSocketHandle SockCreate(int, int, int) override { return Id_INVALID_SOCKET; }
  } stack;
  try {
    stack.OpenSocket(Id_SOCK_STREAM, 0);
    FAIL() << "expected EIdInvalidSocket";
  } catch (const EIdInvalidSocket& error) {
    EXPECT_EQ(error.Message(), "Cannot allocate socket.");
  }
}

}  // namespace
}  // namespace horalux
