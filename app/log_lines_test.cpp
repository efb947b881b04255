#include "app/log_lines.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "app/activity_log.h"
#include "app/incoming_lines.h"

namespace horalux {
namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr TDateTime kServer = 45140.5;

TEST(DifferenceSeconds, RoundsToTheNearestSecondWithHalvesToEven) {
  EXPECT_EQ(DifferenceSeconds(kServer - 2.6 * kSecond, kServer), -3);
  EXPECT_EQ(DifferenceSeconds(kServer - 2.4 * kSecond, kServer), -2);
  EXPECT_EQ(DifferenceSeconds(kServer + 1.2 * kSecond, kServer), 1);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
}

TEST(DifferenceSeconds, ADeadBatteryDoesNotOverflow) {
  // A clock sitting at 1950 against a server in 2026: 76 years behind.
  const std::int64_t seconds = DifferenceSeconds(18264.0, 46364.0);
  EXPECT_EQ(seconds, (18264LL - 46364LL) * 86400);
  EXPECT_LT(seconds, INT32_MIN);
  EXPECT_EQ(DifferenceText(seconds), "difference -2427840000 sec");
}

TEST(LogLines, FollowTheirFormatsExactly) {
  EXPECT_EQ(SuccessLine("14:03:07", "timehost", 2), "-> 14:03:07  timehost * difference +2 sec");
  EXPECT_EQ(SuccessLine("14:03:07", "timehost", 0), "-> 14:03:07  timehost * difference 0 sec");
  EXPECT_EQ(SuccessLine("2:03:07 PM", "", -1), "-> 2:03:07 PM   * difference -1 sec");
  EXPECT_EQ(SuccessLine("14:03:07", "timehost", 2, "Operation not permitted"),
            "-> 14:03:07  timehost * difference +2 sec * clock not set: Operation not permitted");
  EXPECT_EQ(FailureLine("14:03:07", "timehost"), "-> 14:03:07  timehost *** Connect Error ***");
  EXPECT_EQ(IncomingLine("14:05:41", "192.0.2.20"), "<- 14:05:41  Connection from 192.0.2.20");
}

TEST(LogLines, ShowControlCharactersFromOutsideEscapedAndLeaveOtherTextAlone) {
  // A stored host that would forge a second line and colour the terminal.
  EXPECT_EQ(
      FailureLine("14:03:07", "a\n-> 14:03:08  forged\x1b[31m\r\t\x7f\\x1b"),
      "-> 14:03:07  a\\n-> 14:03:08  forged\\x1b[31m\\r\\t\\x7f\\\\x1b *** Connect Error ***");
  // C1 controls as UTF-8 and as lone bytes; UTF-8 and Latin-1 letters stay as they are.
  EXPECT_EQ(IncomingLine("14:05:41",
                         "\xc2\x9b"
                         "2J\x9b"
                         "2J b\xc3\xbc"
                         "cher b\xfc"
                         "cher"),
            "<- 14:05:41  Connection from \\xc2\\x9b2J\\x9b2J b\xc3\xbc"
            "cher b\xfc"
            "cher");
  EXPECT_EQ(SuccessLine("14:03:07", "h\x01", 0, "no\nway"),
            "-> 14:03:07  h\\x01 * difference 0 sec * clock not set: no\\nway");
}

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(std::to_string(i));
  return lines;
}

TEST(ActivityLog, NeverHoldsMoreThanAHundredLinesWhicheverWriterAddsTheNewest) {
  ActivityLog log;
  for (const auto& line : Numbered(150)) log.AppendIncoming(line);
  EXPECT_EQ(log.Lines().size(), 100u);
  EXPECT_EQ(log.Lines().front(), "50");
  log.TrimForRun();
  EXPECT_EQ(log.Lines().size(), 99u);
  log.AppendRunLine("run");
  EXPECT_EQ(log.Lines().size(), 100u);
  log.AppendIncoming("in");
  EXPECT_EQ(log.Lines().size(), 100u);
  EXPECT_EQ(log.Lines().back(), "in");
}

TEST(ActivityLog, TellsItsViewOfEveryChange) {
  ActivityLog log;
  int removed = 0;
  std::vector<std::string> appended;
  log.SetListener({[&] { ++removed; }, [&](const std::string& line) { appended.push_back(line); }});
  for (const auto& line : Numbered(101)) log.AppendIncoming(line);
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(appended.size(), 101u);
}

TEST(IncomingLines, KeepsTheNewestHundredInOrderAndAsksForOneDrainPerBatch) {
  IncomingLines queue;
  int wakes = 0;
  for (const auto& line : Numbered(250)) wakes += queue.Push(line) ? 1 : 0;
  EXPECT_EQ(wakes, 1);
  const auto taken = queue.TakeAll();
  ASSERT_EQ(taken.size(), 100u);
  EXPECT_EQ(taken.front(), "150");
  EXPECT_EQ(taken.back(), "249");
  EXPECT_EQ(queue.Dropped(), 150u);
  EXPECT_TRUE(queue.Push("next"));
}

TEST(IncomingLines, ShowsTheSameAsAppendingEveryLine) {
  ActivityLog everyLine, queued;
  IncomingLines queue;
  for (const auto& line : Numbered(30)) {
    everyLine.AppendRunLine(line);
    queued.AppendRunLine(line);
  }
  for (const auto& line : Numbered(1000)) {
    everyLine.AppendIncoming("in " + line);
    queue.Push("in " + line);
  }
  for (const auto& line : queue.TakeAll()) queued.AppendIncoming(line);
  EXPECT_EQ(queued.Lines(), everyLine.Lines());
}

TEST(IncomingLines, ManyWritersLoseNoOrderWithinAWriter) {
  IncomingLines queue(100000);
  std::vector<std::thread> writers;
  for (int w = 0; w < 8; ++w) {
    writers.emplace_back([&queue, w] {
      for (int i = 0; i < 1000; ++i) queue.Push(std::to_string(w) + ":" + std::to_string(i));
    });
  }
  for (auto& writer : writers) writer.join();
  const auto taken = queue.TakeAll();
  ASSERT_EQ(taken.size(), 8000u);
  std::vector<int> next(8, 0);
  for (const auto& line : taken) {
    const int w = line[0] - '0';
    EXPECT_EQ(line.substr(2), std::to_string(next[static_cast<std::size_t>(w)]++));
  }
}

}  // namespace
}  // namespace horalux
