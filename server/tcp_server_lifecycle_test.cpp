// Activation, deactivation and the listening sockets.
#include "server/tcp_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "server/reuse_address.h"
#include "server/server_test_support.h"
#include "stack/exceptions.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using testing::AddLoopbackBinding;
using testing::Answer;
using testing::BoundPort;
using testing::CountingMgr;
using testing::Gate;
using testing::Journal;
using testing::Listed;
using testing::RawConnect;
using testing::RawFd;
using testing::ReadToClose;
using TCPServerTest = testing::ServerTest;

TEST_F(TCPServerTest, DeactivationWithoutClientsTakesOneWaitStep) {
  TIdTCPServer server;
  AddLoopbackBinding(server);
  server.SetActive(true);
  const int port = BoundPort(server);
  const auto start = std::chrono::steady_clock::now();
  server.SetActive(false);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
  EXPECT_FALSE(server.Active());
  EXPECT_FALSE(RawConnect(port).valid());  // nothing listens any more
}

TEST_F(TCPServerTest, DeactivationLooksAtThePeersOnlyAfterEachWaitStep) {
  for (const auto& [waitTime, expectedPauses, raises] :
       {std::tuple{5000, 1, false}, std::tuple{100, 0, true}, std::tuple{249, 0, true}}) {
    SCOPED_TRACE(waitTime);
    CountingMgr mgr;
    TIdTCPServer server;
    server.SetThreadMgr(&mgr);
    AddLoopbackBinding(server);
    server.TerminateWaitTime = waitTime;
    server.SetActive(true);
    if (raises) {
      EXPECT_THROW(server.SetActive(false), EIdTerminateThreadTimeout);
    } else {
      EXPECT_NO_THROW(server.SetActive(false));
    }
    EXPECT_EQ(mgr.pauses, expectedPauses);
    EXPECT_FALSE(server.Active());
  }
}

TEST_F(TCPServerTest, DeactivationClosesTheSocketOfAClientThatStaysAndItsPeerEnds) {
  TIdTCPServer server;
  AddLoopbackBinding(server);
  Gate reading;
  server.OnExecute = [&](TIdPeerThread& peer) {
    reading.Open();
    peer.Connection().ReadLine();  // the client never sends a line
  };
  Journal errors;
  server.OnException = [&](TIdPeerThread&, const std::exception& e) { errors.Add(e.what()); };
  server.SetActive(true);
  RawFd client = RawConnect(BoundPort(server));
  ASSERT_TRUE(reading.Wait());
  server.SetActive(false);
  EXPECT_FALSE(server.Active());
  EXPECT_EQ(ReadToClose(client.get()), "");
  EXPECT_EQ(errors.Size(), 1u);
}

TEST_F(TCPServerTest, PeerStuckInAHandlerMakesDeactivationTimeOutHarmlessly) {
  CountingMgr mgr;
  auto server = std::make_unique<TIdTCPServer>();
  server->SetThreadMgr(&mgr);
  AddLoopbackBinding(*server);
  server->TerminateWaitTime = 500;
  Gate stuck;
  Gate release;
  server->OnConnect = [&](TIdPeerThread&) {
    stuck.Open();
    release.Wait();  // deaf to its closed socket
  };
  server->OnExecute = Answer("x");
  server->SetActive(true);
  const int port = BoundPort(*server);
  RawFd client = RawConnect(port);
  ASSERT_TRUE(stuck.Wait());
  try {
    server->SetActive(false);
    FAIL() << "a stuck peer, yet no time-out";
  } catch (const EIdTerminateThreadTimeout& error) {
    EXPECT_EQ(error.Message(), "Terminate Thread Timeout");
  }
  EXPECT_EQ(mgr.pauses, 2);
  EXPECT_FALSE(server->Active());
  EXPECT_FALSE(RawConnect(port).valid());  // the listeners are gone
  EXPECT_NO_THROW(server->SetActive(false));
  EXPECT_EQ(mgr.pauses, 2);  // the second deactivation did nothing

  release.Open();
  EXPECT_EQ(ReadToClose(client.get()), "");  // its socket was closed under it
  server.reset();
}

TEST_F(TCPServerTest, DestroyingAServerWhosePeerIsStuckWaitsForThatPeer) {
  CountingMgr mgr;
  Gate release;
  std::atomic<bool> released{false};
  mgr.onPause = [&](int count) {
    if (count < 3) return;  // the destructor has been waiting for a while
    released = true;
    release.Open();
  };
  auto server = std::make_unique<TIdTCPServer>();
  server->SetThreadMgr(&mgr);
  AddLoopbackBinding(*server);
  server->TerminateWaitTime = 0;  // deactivation gives up at once
  Gate stuck;
  server->OnConnect = [&](TIdPeerThread&) {
    stuck.Open();
    release.Wait();
  };
  std::atomic<bool> disconnectedAfterRelease{false};
  server->OnDisconnect = [&](TIdPeerThread&) { disconnectedAfterRelease = released.load(); };
  server->OnExecute = Answer("x");
  server->SetActive(true);
  RawFd client = RawConnect(BoundPort(*server));
  ASSERT_TRUE(stuck.Wait());
  server.reset();  // swallows the time-out, then waits for the peer
  EXPECT_TRUE(released);
  EXPECT_TRUE(disconnectedAfterRelease);
  EXPECT_EQ(Listed(mgr), 0u);
}

TEST_F(TCPServerTest, ReactivationMakesNewListenersAndANewManager) {
  TIdTCPServer server;
  AddLoopbackBinding(server);
  server.OnExecute = Answer("x");
  server.SetActive(true);
  TIdThreadMgr* first = &server.ThreadMgr();
  EXPECT_EQ(first->Owner(), &server);
  bool firstDestroyed = false;
  struct Watch : TComponent {
    bool* flag;
    TComponent* watched;
    Watch(bool* f, TComponent* w) : flag(f), watched(w) { FreeNotification(w); }
    void Notification(TComponent* c, TOperation op) override {
      if (c == watched && op == TOperation::opRemove) *flag = true;
    }
  } watch(&firstDestroyed, first);
  server.SetActive(false);
  EXPECT_TRUE(firstDestroyed);

  server.SetActive(true);
  EXPECT_EQ(server.ThreadMgr().Owner(), &server);
  RawFd client = RawConnect(BoundPort(server));
  EXPECT_EQ(ReadToClose(client.get()), "x");
  server.SetActive(false);
}

TEST_F(TCPServerTest, TwoBindingsGiveTwoListenersEachWithItsParkedPeer) {
  TIdTCPServer server;
  AddLoopbackBinding(server);
  AddLoopbackBinding(server);
  server.OnExecute = Answer("x");
  const int threadsBefore = testing::ThreadCount();
  server.SetActive(true);
  EXPECT_TRUE(testing::Eventually([&] {
    auto live = server.ThreadMgr().LiveThreads.Lock();
    return live->size() == 2 && live->at(0)->Parked() && live->at(1)->Parked();
  }));
  EXPECT_GE(testing::ThreadCount(), threadsBefore + 2);
  for (std::size_t i = 0; i < 2; ++i) {
    RawFd client = RawConnect(BoundPort(server, i));
    EXPECT_EQ(ReadToClose(client.get()), "x");
  }
  server.SetActive(false);
}

TEST_F(TCPServerTest, FailedActivationLeavesNothingRunningAndALaterOneWorks) {
  testing::RawListener occupant;
  TIdTCPServer server;
  AddLoopbackBinding(server);
  TIdSocketHandle& taken = AddLoopbackBinding(server);
  taken.Port = occupant.Port();
  server.ReuseSocket = rsFalse;
  EXPECT_THROW(server.SetActive(true), EIdCouldNotBindSocket);
  EXPECT_FALSE(server.Active());
  EXPECT_FALSE(server.Bindings().BindingAt(0).HasSocket());

  server.Bindings().Delete(1);
  server.OnExecute = Answer("x");
  server.SetActive(true);
  RawFd client = RawConnect(BoundPort(server));
  EXPECT_EQ(ReadToClose(client.get()), "x");
  server.SetActive(false);
}

int ReuseAddressOf(TIdSocketHandle& binding) {
  int value = -1;
  int length = sizeof value;
  SharedStack().SockGetOption(binding.socketId(), Id_SOL_SOCKET, Id_SO_REUSEADDR, &value, length);
  return value;
}

// rsOSDependent follows the system's convention: set on Linux, not on Windows.
TEST_F(TCPServerTest, AddressReuseIsSetWhenTrueOrOSDependentAsTheSystemHasItButNotWhenFalse) {
  for (const auto& [reuse, expected] : {std::pair{rsOSDependent, ReuseAddressByDefault()},
                                        std::pair{rsTrue, true}, std::pair{rsFalse, false}}) {
    SCOPED_TRACE(reuse);
    TIdTCPServer server;
    AddLoopbackBinding(server);
    server.ReuseSocket = reuse;
    server.SetActive(true);
    EXPECT_EQ(ReuseAddressOf(server.Bindings().BindingAt(0)) != 0, expected);
    server.SetActive(false);
  }
}

TEST_F(TCPServerTest, SwitchedOffAndOnAgainTheServerBindsItsPortDespiteLingeringConnections) {
  TIdTCPServer server;
  AddLoopbackBinding(server);
  server.OnExecute = Answer("x");
  server.SetActive(true);
  const int port = BoundPort(server);
  {
    RawFd client = RawConnect(port);
    EXPECT_EQ(ReadToClose(client.get()), "x");  // the server closed first: TIME_WAIT its side
  }
  server.SetActive(false);
  ASSERT_EQ(BoundPort(server), port);
  if (ReuseAddressByDefault()) {
    // Linux holds the port while a closed connection of it lingers, unless reuse is set.
    server.ReuseSocket = rsFalse;
    EXPECT_THROW(server.SetActive(true), EIdCouldNotBindSocket);
  }
  server.ReuseSocket = rsOSDependent;
  server.SetActive(true);
  RawFd client = RawConnect(port);
  EXPECT_EQ(ReadToClose(client.get()), "x");
  server.SetActive(false);
}

}  // namespace
}  // namespace horalux
