// The time server as the window runs it, under a flood of connections.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <regex>
#include <system_error>
#include <thread>

#include "app/form1_test_support.h"
#include "bench/load_client.h"
#include "server/thread_mgr.h"
#include "tests/support/process_counts.h"
#include "timeproto/time_server.h"

namespace horalux::testing {
namespace {

using Clock = std::chrono::steady_clock;

class FloodTest : public FormTest {
 protected:
  FloodTest() {
    WriteHostList("");
    Start();
    view.Click(TCheckBox::ckServer);
    EXPECT_TRUE(form->IdTimeServer().Active());
    port = form->IdTimeServer().Bindings().BindingAt(0).Port;
  }

  // The main thread's loop: handles the view's events every few milliseconds while
  // `running`; returns how many turns it made.
  int Loop(const std::function<bool()>& running) {
    int turns = 0;
    while (running()) {
      view.ProcessEvents();
      ++turns;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return turns;
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

TEST_F(FloodTest, PeersNeverWaitForTheWindowAndTheLogStaysBoundedAndWhole) {
  // The main thread handles no events while this probe runs: connections must still be
  // served meanwhile, because a peer hands its log line over without waiting. One after
  // another they stay below the limit, so all are answered, and the view's first batch then
  // holds more lines than the log keeps.
  bench::LoadOptions probe;
  probe.port = port;
  probe.connections = 150;
  const bench::LoadResult whileBlocked = bench::RunLoad(probe);
  EXPECT_EQ(whileBlocked.ok, 150u) << whileBlocked.Summary();

  std::atomic<bool> done{false};
  bench::LoadResult flood;
  std::thread load([&] {
    bench::LoadOptions options;
    options.port = port;
    options.clients = 16;
    options.connections = 3000;  // a count, not a time: a slow machine still floods the log
    flood = bench::RunLoad(options);
    done = true;
  });
  const auto started = Clock::now();
  const int turns = Loop([&] { return !done; });
  const auto floodMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
  load.join();
  EXPECT_EQ(flood.Failed(), 0u) << flood.Summary();
  EXPECT_GT(flood.ok, 100u) << flood.Summary();  // more than the log keeps
  // The main thread went on with its loop during the flood (a frozen one makes no turn);
  // a turn may take long on a loaded machine, so only a frozen loop fails this.
  EXPECT_GE(turns, floodMs / 1000) << turns << " turns in " << floodMs << " ms";

  // Standard error gets a line for every connection answered; the view only the newest.
  const std::uint64_t answered = flood.ok + whileBlocked.ok;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  std::vector<std::string> shown;
  Loop([&] {
    const bool settled = form->Mirror().Written() == answered && view.logLines == shown &&
                         view.logLines == LogLines();
    shown = view.logLines;
    return !settled && Clock::now() < deadline;
  });
  EXPECT_EQ(form->Mirror().Written(), answered);
  EXPECT_EQ(form->Mirror().Failed(), 0u);
  EXPECT_EQ(LogLines().size(), 100u);
  EXPECT_EQ(view.logLines, LogLines());
  EXPECT_TRUE(TimesNeverGoBack(LogLines()));
  EXPECT_GE(form->LinesSkippedByView(), 50u);  // of the first batch at least
}

// The system makes no thread for a connection (say at a process limit): its client gets no
// time, and standard error says why.
class NoThreadsMgr : public TIdThreadMgrDefault {
 public:
  TIdThread& AcquirePeerThread() override {
    throw std::system_error(EAGAIN, std::generic_category(), "cannot create thread");
  }
};

TEST_F(FormTest, AConnectionThatGetsNoThreadIsSaidOnStandardError) {
  const std::string said = folder.File("stderr");
  const int descriptor = ::open(said.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(descriptor, 0);
  mirrorDescriptor = descriptor;
  WriteHostList("");
  Start();
  NoThreadsMgr noThreads;
  form->IdTimeServer().SetThreadMgr(&noThreads);
  view.Click(TCheckBox::ckServer);
  EXPECT_TRUE(Eventually([&] { return ReadFileText(said).find('\n') != std::string::npos; }));
  Stop();
  ::close(descriptor);
  EXPECT_EQ(ReadFileText(said).substr(0, ReadFileText(said).find('\n')),
            "horalux: the time server could not serve a client: cannot create thread: Resource "
            "temporarily unavailable");
}

}  // namespace
}  // namespace horalux::testing
