// The log's mirror on standard error, written through a pipe: every line in order, and a
// closed pipe loses lines without holding the program up.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/log/incoming_lines.h"
#include "app/log/line_burst_testing.h"
#include "app/log/log_mirror.h"
#include "tests/support/output_pipe.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using testing::OutputPipe;
using testing::TBurst;

std::string StampText(TDateTime when) { return std::to_string(static_cast<int>(when)); }

TEST(TLogMirror, WritesEveryLineOfABurstInOrderAsTheLogShowsIt) {
  OutputPipe pipe;
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
  OutputPipe pipe;
  pipe.CloseReader();
  TIncomingLines lines(16);
  auto mirror = std::make_unique<TLogMirror>(lines, &StampText, pipe.Writer());
  for (int i = 0; i < 1000; ++i) lines.PushLine("line");  // never stuck behind the mirror
  for (int i = 0; i < 500 && mirror->Failed() < 1000; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(mirror->Failed(), 1000u);
  EXPECT_EQ(mirror->Written(), 0u);
  mirror.reset();
}

}  // namespace
}  // namespace horalux
