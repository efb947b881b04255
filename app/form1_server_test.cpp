// The time server as the window runs it, under a flood of connections.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <regex>
#include <thread>

#include "app/form1_test_support.h"
#include "bench/load_client.h"
#include "tests/support/loopback.h"
#include "timeproto/time_server.h"

namespace horalux::testing {
namespace {

class FloodTest : public FormTest {
 protected:
  FloodTest() {
    WriteHostList("");
    Start();
    form->ckServer->setChecked(true);
    EXPECT_TRUE(form->IdTimeServer().Active());
    port = form->IdTimeServer().Bindings().BindingAt(0).Port;
  }
  int port = 0;
};

// Lines must come in the order their connections were logged: their times never go back.
bool TimesNeverGoBack(const std::vector<std::string>& lines) {
  const std::regex time(R"(^<- (\d+):(\d\d):(\d\d)  Connection from 127\.0\.0\.1$)");
  int previous = -1;
  for (const std::string& line : lines) {
    std::smatch parts;
    if (!std::regex_match(line, parts, time)) return false;
    const int seconds = std::stoi(parts[1]) * 3600 + std::stoi(parts[2]) * 60 + std::stoi(parts[3]);
    if (seconds < previous) return false;
    previous = seconds;
  }
  return true;
}

TEST_F(FloodTest, PeersNeverWaitForTheWindowAndTheLogStaysBounded) {
  std::atomic<bool> done{false};
  bench::LoadResult flood;
  std::thread load([&] {
    bench::LoadOptions options;
    options.port = port;
    options.clients = 16;
    options.seconds = 2.0;
    flood = bench::RunLoad(options);
    done = true;
  });

  // The window's thread stops handling events for a while: connections must still be
  // served meanwhile, because a peer hands its log line over without waiting.
  QTest::qWait(300);
  bench::LoadOptions probe;
  probe.port = port;
  probe.connections = 50;
  bench::LoadResult whileBlocked;
  std::thread prober([&] { whileBlocked = bench::RunLoad(probe); });
  prober.join();  // this thread handles no events while the probe runs
  EXPECT_EQ(whileBlocked.ok + whileBlocked.closedWithoutByte, 50u) << whileBlocked.Summary();
  EXPECT_GT(whileBlocked.ok, 0u);

  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
  ticker.start(20);
  QElapsedTimer watch;
  watch.start();
  while (!done) QTest::qWait(10);
  const qint64 floodMs = watch.elapsed();
  load.join();
  QTest::qWait(100);  // the last hand-over

  EXPECT_EQ(flood.Failed(), 0u) << flood.Summary();
  EXPECT_GT(flood.ok, 1000u) << flood.Summary();
  EXPECT_LE(LogLines().size(), 100u);
  EXPECT_EQ(ViewLines(), LogLines());
  EXPECT_TRUE(TimesNeverGoBack(LogLines()));
  // The view skipped what it could never show; standard error got a line for every
  // connection answered.
  EXPECT_GT(form->LinesSkippedByView(), 0u);
  const std::uint64_t answered = flood.ok + whileBlocked.ok;
  for (int i = 0; i < 500 && form->Mirror().Written() < answered; ++i) QTest::qWait(10);
  EXPECT_EQ(form->Mirror().Written(), answered);
  EXPECT_EQ(form->Mirror().Failed(), 0u);
  // The window went on handling its events during the flood: its 20 ms timer ticked at
  // least four times a second (a frozen window would not tick at all).
  EXPECT_GE(ticks, floodMs / 250) << ticks << " ticks in " << floodMs << " ms";
}

}  // namespace
}  // namespace horalux::testing
