#include "timeproto/time_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>

#include "server/server_test_support.h"
#include "stack/exceptions.h"
#include "tests/support/scoped_env.h"
#include "timeproto/time_client.h"
#include "timeproto/time_value.h"

namespace horalux {
namespace {

using testing::AddLoopbackBinding;
using testing::BoundPort;
using testing::Gate;
using testing::RawConnect;
using testing::RawFd;
using testing::ReadToClose;
using TimeServerTest = testing::ServerTest;

std::uint32_t ValueOf(const std::string& bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes.at(i)); };
  return std::uint32_t{byte(0)} << 24 | std::uint32_t{byte(1)} << 16 | std::uint32_t{byte(2)} << 8 |
         byte(3);
}

std::uint32_t NowValue() { return DateTimeToTimeValue(Now(), kRfc868BaseDate); }

// A clock that tests set; peers read it on their own threads.
class FakeClock {
 public:
  void Set(TDateTime when) {
    std::lock_guard lock(mutex_);
    now_ = when;
  }
  TDateTime operator()() {
    std::lock_guard lock(mutex_);
    return now_;
  }

 private:
  std::mutex mutex_;
  TDateTime now_ = 0;
};

TEST_F(TimeServerTest, DefaultsAreTheTimeProtocolsPortAndEpoch) {
  TIdTimeServer server;
  EXPECT_EQ(server.DefaultPort(), 37);
  EXPECT_EQ(server.BaseDate, 2.0);
  EXPECT_EQ(server.MaxConnections, 0);
  EXPECT_FALSE(server.Greeting.HasContent());
}

TEST_F(TimeServerTest, EveryClientGetsExactlyFourBytesOfTheLocalClockThenTheClose) {
  TIdTimeServer server;
  AddLoopbackBinding(server);
  server.SetActive(true);
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t before = NowValue();
    RawFd client = RawConnect(BoundPort(server));
    const std::optional<std::string> bytes = ReadToClose(client.get());
    const std::uint32_t after = NowValue();
    ASSERT_TRUE(bytes.has_value()) << "no close";
    ASSERT_EQ(bytes->size(), 4u);
    EXPECT_GE(ValueOf(*bytes), before);
    EXPECT_LE(ValueOf(*bytes), after);
    EXPECT_LE(after - before, 1u);
  }
  server.SetActive(false);
}

TEST_F(TimeServerTest, OurClientReadsTheServersTimeAsTheLocalTime) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(-120));
  TIdTimeServer server;
  AddLoopbackBinding(server);
  server.SetActive(true);
  TIdTime client;
  client.Host = "127.0.0.1";
  client.Port = BoundPort(server);
  const TDateTime answer = client.QueryDateTime();
  EXPECT_LT(std::abs(answer - Now()) * 86400.0, 1.5);
  server.SetActive(false);
}

TEST_F(TimeServerTest, ValueCountsFromBaseDateAndWrapsAfter2036) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(0));
  FakeClock clock;
  TIdTimeServer server;
  AddLoopbackBinding(server);
  server.LocalClock = std::ref(clock);
  server.SetActive(true);
  const auto query = [&] {
    RawFd client = RawConnect(BoundPort(server));
    return ValueOf(ReadToClose(client.get()).value_or(""));
  };
  // Half a second into each second: the count is truncated, and a moment a hair below a
  // whole second must not decide the test.
  clock.Set(EncodeDateTime(2036, 2, 7, 6, 28, 15, 500));
  EXPECT_EQ(query(), 0xffffffffu);
  clock.Set(EncodeDateTime(2036, 2, 7, 6, 28, 16, 500));
  EXPECT_EQ(query(), 0u);
  server.BaseDate = EncodeDateTime(1970, 1, 1);
  clock.Set(EncodeDateTime(2001, 9, 9, 1, 46, 40, 500));
  EXPECT_EQ(query(), 1'000'000'000u);
  server.SetActive(false);
}

TEST_F(TimeServerTest, ValueIsTakenAfterOnConnectReturnsAndAfterTheGreeting) {
  testing::ScopedFixedTimeZone zone(testing::FixedZone(0));
  FakeClock clock;
  clock.Set(EncodeDateTime(2024, 1, 1, 0, 0, 0, 500));
  TIdTimeServer server;
  AddLoopbackBinding(server);
  server.LocalClock = std::ref(clock);
  server.Greeting.FillReply(0, "hi");
  Gate connecting;
  Gate release;
  server.OnConnect = [&](TIdPeerThread&) {
    connecting.Open();
    release.Wait();
  };
  server.SetActive(true);
  RawFd client = RawConnect(BoundPort(server));
  ASSERT_TRUE(connecting.Wait());
  clock.Set(EncodeDateTime(2024, 1, 1, 0, 0, 5, 500));  // while the handler still runs
  release.Open();
  const std::string bytes = ReadToClose(client.get()).value_or("");
  ASSERT_EQ(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 4), "hi\r\n");
  EXPECT_EQ(ValueOf(bytes.substr(4)),
            DateTimeToTimeValue(EncodeDateTime(2024, 1, 1, 0, 0, 5, 500), kRfc868BaseDate));
  server.SetActive(false);
}

TEST_F(TimeServerTest, ClockThatFailsIsReportedAndTheClientSeesACloseWithoutData) {
  TIdTimeServer server;
  AddLoopbackBinding(server);
  server.LocalClock = []() -> TDateTime { throw EIdException("no time zone"); };
  testing::Journal errors;
  server.OnException = [&](TIdPeerThread&, const std::exception& e) { errors.Add(e.what()); };
  server.SetActive(true);
  RawFd client = RawConnect(BoundPort(server));
  EXPECT_EQ(ReadToClose(client.get()), "");
  EXPECT_TRUE(testing::Eventually([&] { return errors.Size() == 1; }));
  EXPECT_EQ(errors.Entries().at(0), "no time zone");
  server.SetActive(false);
}

TEST_F(TimeServerTest, ClientThatLeftBeforeTheAnswerOnlyEndsItsPeer) {
  TIdTimeServer server;
  AddLoopbackBinding(server);
  Gate connecting;
  Gate release;
  server.OnConnect = [&](TIdPeerThread&) {
    connecting.Open();
    release.Wait();
  };
  std::atomic<int> socketErrors{0};
  std::atomic<int> otherErrors{0};
  server.OnException = [&](TIdPeerThread&, const std::exception& error) {
    ++(dynamic_cast<const EIdSocketError*>(&error) ? socketErrors : otherErrors);
  };
  Gate ended;
  server.OnDisconnect = [&](TIdPeerThread&) { ended.Open(); };
  server.SetActive(true);
  {
    RawFd client = RawConnect(BoundPort(server));
    testing::ResetOnClose(client.get());  // as a client that gives up
    ASSERT_TRUE(connecting.Wait());
  }
  release.Open();
  ASSERT_TRUE(ended.Wait());
  EXPECT_EQ(socketErrors, 1);
  EXPECT_EQ(otherErrors, 0);
  RawFd next = RawConnect(BoundPort(server));
  EXPECT_EQ(ReadToClose(next.get()).value_or("").size(), 4u);
  server.SetActive(false);
}

}  // namespace
}  // namespace horalux
