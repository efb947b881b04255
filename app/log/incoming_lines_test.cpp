// The hand-off of log lines to the view and to the mirror on standard error.
#include "app/log/incoming_lines.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "app/log/line_burst_testing.h"

namespace horalux {
namespace {

using testing::TBurst;

using namespace std::chrono_literals;

TEST(TIncomingLines, TheViewTakesTheNewestHundredInOrderAndIsToldOncePerBatch) {
  TIncomingLines lines;
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

TEST(TIncomingLines, WithoutAReadingMirrorNoPushWaitsAndTheRingStaysItsSize) {
  TIncomingLines lines(128);
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

TEST(TIncomingLines, ASlowMirrorLosesNothingOfABurstAndGetsItInOrder) {
  TIncomingLines lines(128);  // far fewer than the burst: writers wait for room
  lines.AttachMirror();
  std::vector<std::pair<int, std::string>> taken;
  std::thread reader([&] {
    for (auto batch = lines.TakeForMirror(7); !batch.empty(); batch = lines.TakeForMirror(7)) {
      for (const auto& line : batch) taken.emplace_back(static_cast<int>(line.when), line.text);
    }
  });
  TBurst::Run(lines);
  lines.DetachMirror();
  reader.join();
  EXPECT_EQ(lines.LostToMirror(), 0u);
  TBurst::Check(taken);
}

}  // namespace
}  // namespace horalux
