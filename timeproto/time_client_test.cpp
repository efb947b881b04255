#include "timeproto/time_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "net/anti_freeze.h"
#include "stack/exceptions.h"
#include "stack/wsa_codes.h"
#include "tests/support/loopback.h"
#include "tests/support/process_counts.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_server.h"

namespace horalux {
namespace {

using testing::PeerScript;
using testing::ScriptedServer;
using testing::TimeBytes;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kValue = 3'900'000'000u;  // 2023-08-02 21:20:00 UTC

long long Seconds(TDateTime when) { return std::llround(when * 86400.0); }

class TimeClientTest : public ::testing::Test {
 protected:
  TIdTime& ClientOf(const ScriptedServer& server) {
    client.Host = "127.0.0.1";
    client.Port = server.Port();
    return client;
  }

  testing::ScopedFixedTimeZone zone{testing::FixedZone(-120)};
  TIdTime client;
};

TEST_F(TimeClientTest, DefaultsAreThoseOfTheProtocol) {
  EXPECT_EQ(client.Port, 37);
  EXPECT_EQ(client.Timeout, 2500);
  EXPECT_EQ(client.BaseDate, 2.0);
  EXPECT_EQ(client.OneWayDelay(), 0u);
}

TEST_F(TimeClientTest, FourBytesThenCloseGiveTheValue) {
  ScriptedServer server({TimeBytes(kValue)});
  EXPECT_EQ(ClientOf(server).QueryTimeValue(), kValue);
  // 2023-08-02 23:20:00 local time, two hours east.
  EXPECT_EQ(Seconds(client.QueryDateTime()), Seconds(EncodeDateTime(2023, 8, 2, 23, 20)));
  EXPECT_EQ(client.IOHandler(), nullptr);
}

TEST_F(TimeClientTest, OnlyTheFirstFourOfEightBytesCount) {
  ScriptedServer server({TimeBytes(kValue) + TimeBytes(7)});
  EXPECT_EQ(ClientOf(server).QueryTimeValue(), kValue);
}

TEST_F(TimeClientTest, TwoBytesThenCloseMeanNoValue) {
  ScriptedServer server({"\xE8\x75"});
  EXPECT_EQ(ClientOf(server).QueryTimeValue(), 0u);
  EXPECT_EQ(client.QueryDateTime(), 0.0);
}

TEST_F(TimeClientTest, CloseWithoutDataRaises) {
  ScriptedServer server({""});
  EXPECT_THROW(ClientOf(server).QueryTimeValue(), EIdConnClosedGracefully);
}

TEST_F(TimeClientTest, SilentServerTimesOutAfterTimeout) {
  ScriptedServer server({"", 0, 0, PeerScript::End::kHold});
  client.Timeout = 200;
  const auto start = Clock::now();
  EXPECT_THROW(ClientOf(server).QueryTimeValue(), EIdReadTimeout);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(TimeClientTest, TrickledBytesAreCollectedWaitByWait) {
  ScriptedServer server({TimeBytes(kValue), 0, 120});
  client.Timeout = 1000;
  const auto start = Clock::now();
  EXPECT_EQ(ClientOf(server).QueryTimeValue(), kValue);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(360));
}

TEST_F(TimeClientTest, ZeroTimeoutStillWaitsWithAZeroLimit) {
  ScriptedServer server({TimeBytes(kValue), 500});
  client.Timeout = 0;
  EXPECT_THROW(ClientOf(server).QueryTimeValue(), EIdReadTimeout);
}

TEST_F(TimeClientTest, RefusedPlainConnectRaisesTheSocketError) {
  client.Host = "127.0.0.1";
  client.Port = testing::RefusingPort();
  try {
    client.QueryDateTime();
    FAIL() << "expected EIdSocketError";
  } catch (const EIdSocketError& error) {
    EXPECT_EQ(error.errorCode(), Id_WSAECONNREFUSED);
  }
}

TEST_F(TimeClientTest, RefusedTimedConnectOnTheMainThreadRaisesConnectException) {
  TIdAntiFreeze antiFreeze;
  client.Host = "127.0.0.1";
  client.Port = testing::RefusingPort();
  try {
    client.QueryDateTime();
    FAIL() << "expected EIdConnectException";
  } catch (const EIdConnectException& error) {
    EXPECT_EQ(error.Message(), "Socket Error # 10061\r\nConnection refused.");
  }
}

TEST_F(TimeClientTest, StatusSequenceOfOneQuery) {
  ScriptedServer server({TimeBytes(kValue)});
  std::vector<std::string> statuses;
  ClientOf(server).Host = "localhost";
  client.OnStatus = [&](TComponent&, TIdStatus, const std::string& text) {
    statuses.push_back(text);
  };
  client.QueryTimeValue();
  EXPECT_EQ(statuses,
            (std::vector<std::string>{"Resolving hostname localhost.", "Connecting to 127.0.0.1.",
                                      "Connected.", "Disconnecting.", "Disconnected."}));
}

TEST_F(TimeClientTest, HalfTheRoundTripMovesTheDecodedTime) {
  ScriptedServer server({TimeBytes(kValue)});
  std::vector<std::uint32_t> ticks{10'000, 12'400};
  ClientOf(server).TickCounter = [&] {
    const std::uint32_t tick = ticks.front();
    ticks.erase(ticks.begin());
    return tick;
  };
  const TDateTime decoded = client.QueryDateTime();
  EXPECT_EQ(client.OneWayDelay(), 1200u);
  EXPECT_EQ(Seconds(decoded), Seconds(EncodeDateTime(2023, 8, 2, 23, 20, 1)));
}

TEST_F(TimeClientTest, RoundTripAcrossTheCounterWrap) {
  ScriptedServer server({TimeBytes(kValue)});
  std::vector<std::uint32_t> ticks{0xFFFFFF00u, 0x100u};
  ClientOf(server).TickCounter = [&] {
    const std::uint32_t tick = ticks.front();
    ticks.erase(ticks.begin());
    return tick;
  };
  client.QueryTimeValue();
  EXPECT_EQ(client.OneWayDelay(), (0x100u + 0xFFu) >> 1);
}

TEST_F(TimeClientTest, ARealDelayShowsInOneWayDelay) {
  ScriptedServer server({TimeBytes(kValue), 400});
  ClientOf(server).QueryTimeValue();
  // The server's pause starts at its accept, the client's count only once its connect has
  // returned: on a busy machine up to a few scheduler slices later.
  EXPECT_GE(client.OneWayDelay(), 150u);
}

TEST_F(TimeClientTest, EachQueryStartsClean) {
  {
    ScriptedServer failing({"", 0, 0, PeerScript::End::kReset});
    EXPECT_THROW(ClientOf(failing).QueryTimeValue(), EIdException);
  }
  {
    ScriptedServer eight({TimeBytes(kValue) + TimeBytes(kValue)});
    EXPECT_EQ(ClientOf(eight).QueryTimeValue(), kValue);
  }
  ScriptedServer two({"\x01\x02"});
  EXPECT_EQ(ClientOf(two).QueryTimeValue(), 0u);  // leftovers never complete a value
  client.Port = testing::RefusingPort();
  EXPECT_THROW(client.QueryTimeValue(), EIdSocketError);
  ScriptedServer good({TimeBytes(kValue)});
  EXPECT_EQ(ClientOf(good).QueryTimeValue(), kValue);
}

TEST_F(TimeClientTest, WrappedCountIsPlacedInTheEraOfTheLocalClock) {
  testing::ScopedFixedTimeZone utc(testing::FixedZone(0));
  // Ten seconds after the count wrapped: 2036-02-07 06:28:26 UTC.
  ScriptedServer afterWrap({TimeBytes(10)});
  ClientOf(afterWrap).LocalClock = [] { return EncodeDateTime(2036, 2, 7, 6, 30); };
  EXPECT_EQ(Seconds(client.QueryDateTime()), Seconds(EncodeDateTime(2036, 2, 7, 6, 28, 26)));
  // Ten seconds before it, seen from a clock just past it.
  ScriptedServer beforeWrap({TimeBytes(0xFFFFFFF6u)});
  ClientOf(beforeWrap).LocalClock = [] { return EncodeDateTime(2036, 2, 7, 6, 30); };
  EXPECT_EQ(Seconds(client.QueryDateTime()), Seconds(EncodeDateTime(2036, 2, 7, 6, 28, 6)));
  // Today's counts decode as they always did, 2^31 included.
  ScriptedServer today({TimeBytes(0x80000000u)});
  ClientOf(today).LocalClock = [] { return EncodeDateTime(2026, 12, 8); };
  EXPECT_EQ(Seconds(client.QueryDateTime()), Seconds(EncodeDateTime(1968, 1, 20, 3, 14, 8)));
}

TEST_F(TimeClientTest, IdleStepsRunOnTheMainThreadOnly) {
  ScriptedServer server({TimeBytes(kValue), 600});
  TIdAntiFreeze antiFreeze;
  int idleSteps = 0;
  TIdAntiFreeze::InstallPendingWork({[&] { ++idleSteps; }, nullptr});
  ClientOf(server).QueryTimeValue();
  EXPECT_GE(idleSteps, 2);  // one after the connect slice, more while waiting for the value
  const int onMainThread = idleSteps;
  std::thread other([&] {
    TIdTime another;
    another.Host = "127.0.0.1";
    another.Port = server.Port();
    EXPECT_EQ(another.QueryTimeValue(), kValue);
  });
  other.join();
  TIdAntiFreeze::InstallPendingWork({});
  EXPECT_EQ(idleSteps, onMainThread);
}

TEST_F(TimeClientTest, QueriesLeaveNoThreadOrDescriptorBehind) {
  TIdAntiFreeze antiFreeze;
  const int threads = testing::ThreadCount();
  const int descriptors = testing::OpenDescriptorCount();
  {
    ScriptedServer good({TimeBytes(kValue)});
    ScriptedServer silent({"", 0, 0, PeerScript::End::kHold});
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(ClientOf(good).QueryTimeValue(), kValue);
      client.Timeout = 50;
      EXPECT_THROW(ClientOf(silent).QueryTimeValue(), EIdReadTimeout);
      client.Port = testing::RefusingPort();
      EXPECT_THROW(client.QueryTimeValue(), EIdConnectException);
    }
  }  // the servers, their threads and held connections go first
  // A joined thread may stay listed for a moment.
  EXPECT_TRUE(testing::Eventually([threads] { return testing::ThreadCount() == threads; }))
      << testing::ThreadCount() << " threads, " << threads << " before";
  EXPECT_EQ(testing::OpenDescriptorCount(), descriptors);
}

}  // namespace
}  // namespace horalux
