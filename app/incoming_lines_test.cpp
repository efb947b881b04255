// The hand-off of log lines to the view and to the mirror on standard error.
#include "app/incoming_lines.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "app/log_mirror.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

TEST(IncomingLines, TheViewTakesTheNewestHundredInOrderAndIsToldOncePerBatch) {
  IncomingLines lines;
  int tells = 0;
  for (int i = 0; i < 250; ++i) tells += lines.PushLine(std::to_string(i)) ? 1 : 0;
  EXPECT_EQ(tells, 1);
  const auto taken = lines.TakeForView();
  ASSERT_EQ(taken.size(), 100u);
  EXPECT_EQ(taken.front().text, "150");
  EXPECT_EQ(taken.back().text, "249");
  EXPECT_EQ(lines.SkippedByView(), 150u);

  EXPECT_FALSE(lines.PushLine("during the pause"));  // the view is not told until armed
  EXPECT_FALSE(lines.ArmView());                     // a line waits: take it now
  EXPECT_EQ(lines.TakeForView().size(), 1u);
  EXPECT_TRUE(lines.ArmView());
  EXPECT_TRUE(lines.PushLine("after the pause"));
}

TEST(IncomingLines, WithoutAReadingMirrorNoPushWaitsAndTheRingStaysItsSize) {
  IncomingLines lines(128);
  for (int i = 0; i < 1000; ++i) lines.PushLine(std::to_string(i));
  EXPECT_EQ(lines.LostToMirror(), 1000u - 128u);

  lines.AttachMirror();
  lines.SetMirrorStalled(true);  // standard error takes nothing
  for (int i = 1000; i < 2000; ++i) lines.PushLine(std::to_string(i));
  EXPECT_EQ(lines.LostToMirror(), 2000u - 128u);
  const auto kept = lines.TakeForMirror(1000);
  ASSERT_EQ(kept.size(), 128u);  // the newest, in order
  EXPECT_EQ(kept.front().text, "1872");
  EXPECT_EQ(kept.back().text, "1999");
}

// Lines from a burst of many threads, as the mirror's reader took them.
struct Burst {
  static constexpr int kWriters = 8;
  static constexpr int kEach = 2000;

  // Each writer pushes its lines as "writer.line"; stamps count up under the ring's lock.
  static void Run(IncomingLines& lines) {
    std::atomic<int> clock{0};
    const std::function<TDateTime()> next = [&clock] { return clock.fetch_add(1); };
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
      writers.emplace_back([&, w] {
        for (int i = 0; i < kEach; ++i) {
          lines.PushIncoming(next, std::to_string(w) + "." + std::to_string(i));
        }
      });
    }
    for (auto& writer : writers) writer.join();
  }

  // Every line once, stamps never going back, each writer's lines in its order.
  static void Check(const std::vector<std::pair<int, std::string>>& taken) {
    ASSERT_EQ(taken.size(), static_cast<std::size_t>(kWriters * kEach));
    std::vector<int> next(kWriters, 0);
    int previous = -1;
    for (const auto& [stamp, address] : taken) {
      EXPECT_GT(stamp, previous);
      previous = stamp;
      const int w = std::stoi(address);
      EXPECT_EQ(address.substr(address.find('.') + 1), std::to_string(next[w]++));
    }
  }
};

TEST(IncomingLines, ASlowMirrorLosesNothingOfABurstAndGetsItInOrder) {
  IncomingLines lines(128);  // far fewer than the burst: writers wait for room
  lines.AttachMirror();
  std::vector<std::pair<int, std::string>> taken;
  std::thread reader([&] {
    for (auto batch = lines.TakeForMirror(7); !batch.empty(); batch = lines.TakeForMirror(7)) {
      for (const auto& line : batch) taken.emplace_back(static_cast<int>(line.when), line.text);
    }
  });
  Burst::Run(lines);
  lines.DetachMirror();
  reader.join();
  EXPECT_EQ(lines.LostToMirror(), 0u);
  Burst::Check(taken);
}

class Pipe {
 public:
  Pipe() { EXPECT_EQ(::pipe2(fds_, O_CLOEXEC), 0); }
  ~Pipe() {
    CloseReader();
    CloseWriter();
  }
  int Reader() const { return fds_[0]; }
  int Writer() const { return fds_[1]; }
  void CloseReader() { Close(fds_[0]); }
  void CloseWriter() { Close(fds_[1]); }

  // Reads until every writer has closed.
  std::string ReadAll() {
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = ::read(Reader(), chunk, sizeof chunk)) > 0;) text.append(chunk, n);
    return text;
  }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int fds_[2] = {-1, -1};
};

std::string StampText(TDateTime when) { return std::to_string(static_cast<int>(when)); }

TEST(LogMirror, WritesEveryLineOfABurstInOrderAsTheLogShowsIt) {
  Pipe pipe;
  std::string text;
  std::thread reader([&] { text = pipe.ReadAll(); });
  {
    IncomingLines lines(128);
    const LogMirror mirror(lines, &StampText, pipe.Writer());
    Burst::Run(lines);
    lines.PushLine("-> 14:03:07  timehost * difference +2 sec");
  }  // the mirror writes what still waits before it ends
  pipe.CloseWriter();
  reader.join();

  std::istringstream written(text);
  std::vector<std::pair<int, std::string>> taken;
  const std::string prefix = "horalux.log: <- ", from = "  Connection from ";
  std::string line;
  while (std::getline(written, line) && line.rfind(prefix, 0) == 0) {
    const std::size_t at = line.find(from);
    ASSERT_NE(at, std::string::npos) << line;
    taken.emplace_back(std::stoi(line.substr(prefix.size())), line.substr(at + from.size()));
  }
  Burst::Check(taken);
  EXPECT_EQ(line, "horalux.log: -> 14:03:07  timehost * difference +2 sec");
  EXPECT_FALSE(std::getline(written, line));
}

TEST(LogMirror, AClosedPipeLosesTheLinesAndNothingElse) {
  Pipe pipe;
  pipe.CloseReader();
  IncomingLines lines(16);
  auto mirror = std::make_unique<LogMirror>(lines, &StampText, pipe.Writer());
  for (int i = 0; i < 1000; ++i) lines.PushLine("line");  // never stuck behind the mirror
  for (int i = 0; i < 500 && mirror->Failed() < 1000; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(mirror->Failed(), 1000u);
  EXPECT_EQ(mirror->Written(), 0u);
  mirror.reset();
}

TEST(LogMirror, AFullPipeNobodyReadsHoldsUpNeitherThePushesNorTheEnd) {
  Pipe pipe;
  ::fcntl(pipe.Writer(), F_SETPIPE_SZ, 4096);
  IncomingLines lines(128);
  auto mirror = std::make_unique<LogMirror>(lines, &StampText, pipe.Writer(), 50ms);
  for (int i = 0; i < 5000; ++i) lines.PushLine("line " + std::to_string(i));
  EXPECT_GT(lines.LostToMirror(), 0u);  // pushed out of the ring once the mirror stalled
  const auto ending = std::chrono::steady_clock::now();
  mirror.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - ending, 5s);
  pipe.CloseWriter();

  // What did reach the pipe is whole lines, in order.
  std::istringstream written(pipe.ReadAll());
  int previous = -1;
  for (std::string line; std::getline(written, line);) {
    ASSERT_EQ(line.rfind("horalux.log: line ", 0), 0u) << line;
    const int number = std::stoi(line.substr(18));
    EXPECT_GT(number, previous);
    previous = number;
  }
  EXPECT_GE(previous, 0);
}

}  // namespace
}  // namespace horalux
