// Many short connections from several client threads against the time server with the
// window's connection limit, then deactivation: every client got its answer or, when the
// server was full, a close without a byte, and nothing of the server is left behind.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "bench/load_client.h"
#include "server/notify_thread.h"
#include "server/server_test_support.h"
#include "server/thread.h"
#include "timeproto/time_server.h"

namespace horalux {
namespace {

constexpr std::uint64_t kConnections = 10000;

// Counts the connections accepted, served or not.
class CountingIOHandler : public TIdServerIOHandlerSocket {
 public:
  using TIdServerIOHandlerSocket::TIdServerIOHandlerSocket;
  std::atomic<int> accepted{0};

  std::unique_ptr<TIdIOHandler> AcceptPeer(TIdStackSocketHandle listeningSocket) override {
    std::unique_ptr<TIdIOHandler> handler = TIdServerIOHandlerSocket::AcceptPeer(listeningSocket);
    if (handler) ++accepted;
    return handler;
  }
};

TEST(TimeServerSoak, ManyConnectionsAreAnsweredOrRefusedAndLeaveNothingBehind) {
  TIdNotifyThread::CreateOnce();  // lives for the process; not the server's
  ASSERT_TRUE(AwaitThreadsEnded(std::chrono::seconds(10)));
  const int threadsBefore = testing::ThreadCount();
  const int descriptorsBefore = testing::OpenDescriptorCount();
  {
    CountingIOHandler ioHandler;
    TIdTimeServer server;
    server.SetServerIOHandler(&ioHandler);
    testing::AddLoopbackBinding(server);
    server.MaxConnections = 20;
    std::atomic<int> served{0};
    std::atomic<int> peerErrors{0};
    std::atomic<int> listenErrors{0};
    server.OnConnect = [&](TIdPeerThread&) { ++served; };
    server.OnException = [&](TIdPeerThread&, const std::exception&) { ++peerErrors; };
    server.OnListenException = [&](TIdListenerThread&, const std::exception&) { ++listenErrors; };
    server.SetActive(true);

    bench::LoadOptions options;
    options.port = testing::BoundPort(server);
    options.clients = 16;
    options.connections = kConnections;
    options.timeoutMs = 20000;
    const bench::LoadResult result = bench::RunLoad(options);
    server.SetActive(false);

    EXPECT_EQ(result.Failed(), 0u) << result.Summary();
    EXPECT_EQ(result.ok + result.closedWithoutByte, kConnections);
    // Every byte-less close was a refusal: accepted, but never given a peer.
    EXPECT_EQ(static_cast<std::uint64_t>(served), result.ok);
    EXPECT_EQ(static_cast<std::uint64_t>(ioHandler.accepted - served), result.closedWithoutByte);
    EXPECT_EQ(peerErrors, 0);
    EXPECT_EQ(listenErrors, 0);
  }
  ASSERT_TRUE(AwaitThreadsEnded(std::chrono::seconds(10)));
  EXPECT_TRUE(testing::Eventually([&] { return testing::ThreadCount() == threadsBefore; }))
      << testing::ThreadCount() << " threads, " << threadsBefore << " before";
  EXPECT_TRUE(testing::Eventually([&] {
    return testing::OpenDescriptorCount() == descriptorsBefore;
  })) << testing::OpenDescriptorCount()
      << " descriptors, " << descriptorsBefore << " before";
}

}  // namespace
}  // namespace horalux
