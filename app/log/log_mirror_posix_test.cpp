// The log's mirror on standard error, written through a pipe: every line in order, and
// neither a closed nor a full pipe holds the program up.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/log/incoming_lines.h"
#include "app/log/line_burst_testing.h"
#include "app/log/log_mirror.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using testing::TBurst;

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

TEST(TLogMirror, WritesEveryLineOfABurstInOrderAsTheLogShowsIt) {
  Pipe pipe;
  std::string text;
  std::thread reader([&] { text = pipe.ReadAll(); });
  {
    TIncomingLines lines(128);
    const TLogMirror mirror(lines, &StampText, pipe.Writer());
    TBurst::Run(lines);
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
  TBurst::Check(taken);
  EXPECT_EQ(line, "horalux.log: -> 14:03:07  timehost * difference +2 sec");
  EXPECT_FALSE(std::getline(written, line));
}

TEST(TLogMirror, AClosedPipeLosesTheLinesAndNothingElse) {
  Pipe pipe;
  pipe.CloseReader();
  TIncomingLines lines(16);
  auto mirror = std::make_unique<TLogMirror>(lines, &StampText, pipe.Writer());
  for (int i = 0; i < 1000; ++i) lines.PushLine("line");  // never stuck behind the mirror
  for (int i = 0; i < 500 && mirror->Failed() < 1000; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(mirror->Failed(), 1000u);
  EXPECT_EQ(mirror->Written(), 0u);
  mirror.reset();
}

TEST(TLogMirror, AFullPipeNobodyReadsHoldsUpNeitherThePushesNorTheEnd) {
  Pipe pipe;
  ::fcntl(pipe.Writer(), F_SETPIPE_SZ, 4096);
  TIncomingLines lines(128);
  auto mirror = std::make_unique<TLogMirror>(lines, &StampText, pipe.Writer(), 50ms);
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
