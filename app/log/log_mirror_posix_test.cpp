// A full pipe that nobody reads holds up neither the connections nor the end. Only Linux
// can keep this promise: Windows gives a writer no way to ask a pipe for room, and there a
// write to a full one waits until its reader takes bytes (output_sink.h).
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>

#include "app/log/incoming_lines.h"
#include "app/log/log_mirror.h"
#include "tests/support/output_pipe.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using testing::OutputPipe;

std::string StampText(TDateTime) { return "00:00:00"; }

TEST(TLogMirror, AFullPipeNobodyReadsHoldsUpNeitherThePushesNorTheEnd) {
  OutputPipe pipe(4096);
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
