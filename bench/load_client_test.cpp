#include "bench/load_client.h"

#include <gtest/gtest.h>

#include "bench/reference_server.h"
#include "tests/support/loopback.h"
#include "tests/support/scripted_server.h"

namespace horalux::bench {
namespace {

TEST(LoadClient, CountsEveryAnswerOfAGoodServerAsOk) {
  ReferenceServer server;
  LoadOptions options;
  options.port = server.Port();
  options.clients = 4;
  options.connections = 200;
  const LoadResult result = RunLoad(options);
  EXPECT_EQ(result.ok, 200u);
  EXPECT_EQ(result.Failed(), 0u);
  EXPECT_EQ(result.latencyMicros.size(), 200u);
  EXPECT_LE(result.Percentile(0.5), result.Percentile(0.99));
}

TEST(LoadClient, TellsWrongShortAndMissingAnswersApart) {
  struct Case {
    std::string bytes;
    std::uint64_t LoadResult::*counter;
  };
  const Case cases[] = {
      {testing::TimeBytes(CurrentTimeValue() - 3600), &LoadResult::wrongValue},
      {"\x01\x02", &LoadResult::shortRead},
      {testing::TimeBytes(CurrentTimeValue()) + "x", &LoadResult::shortRead},
      {"", &LoadResult::closedWithoutByte},
  };
  for (const Case& c : cases) {
    testing::ScriptedServer server({c.bytes});
    LoadOptions options;
    options.port = server.Port();
    options.connections = 3;
    const LoadResult result = RunLoad(options);
    EXPECT_EQ(result.*c.counter, 3u) << result.Summary();
    EXPECT_EQ(result.Total(), 3u);
  }
}

TEST(LoadClient, ABurstCountsEveryClientOnceWithItsTimeSinceTheStart) {
  ReferenceServer server;
  LoadOptions options;
  options.port = server.Port();
  options.clients = 100;
  const LoadResult result = RunBurst(options);
  EXPECT_EQ(result.ok, 100u) << result.Summary();
  EXPECT_EQ(result.Total(), 100u);
  ASSERT_EQ(result.latencyMicros.size(), 100u);
  EXPECT_LE(result.latencyMicros.back(), result.elapsedSeconds * 1e6);
}

TEST(LoadClient, ABurstThatNobodyAcceptsIsLeftHangingOrNeverConnectedNotAnswered) {
  // A queue of none holds one finished handshake and drops the rest, some of them after
  // the client already counts itself connected.
  testing::RawListener never(0);
  LoadOptions options;
  options.port = never.Port();
  options.clients = 20;
  options.timeoutMs = 300;
  const LoadResult result = RunBurst(options);
  EXPECT_GE(result.timeouts, 1u) << result.Summary();
  EXPECT_EQ(result.timeouts + result.connectFailed, 20u) << result.Summary();
  EXPECT_TRUE(result.latencyMicros.empty());
}

}  // namespace
}  // namespace horalux::bench
