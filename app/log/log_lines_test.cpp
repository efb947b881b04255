#include "app/log/log_lines.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "app/log/activity_log.h"

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
  EXPECT_EQ(UnreachableText("timehost", "Socket Error # 10061\r\nConnection refused."),
            "timehost: Socket Error # 10061 Connection refused.");
  EXPECT_EQ(UnreachableText("", "Host not found.\n"), "Host not found.");
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
  EXPECT_EQ(UnreachableText("a\nb", "x\r\n\n\ty"), "a\\nb: x \\ty");
}

std::vector<std::string> Numbered(int count, const std::string& prefix = "") {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(prefix + std::to_string(i));
  return lines;
}

TEST(TActivityLog, NeverHoldsMoreThanAHundredLinesWhicheverWriterAddsTheNewest) {
  TActivityLog log;
  log.Append(Numbered(150));
  EXPECT_EQ(log.Lines().size(), 100u);
  EXPECT_EQ(log.Lines().front(), "50");
  log.TrimForRun();
  EXPECT_EQ(log.Lines().size(), 99u);
  log.Append({"in during the run"});  // a connection while the run waits
  log.Append({"run"});
  EXPECT_EQ(log.Lines().size(), 100u);
  EXPECT_EQ(log.Lines().back(), "run");
  EXPECT_EQ(log.Lines().front(), "52");
}

// What a view shows when it follows every change it is told of.
struct View {
  std::deque<std::string> lines;
  int changes = 0;

  void Follow(TActivityLog& log) {
    log.SetListener([this](std::size_t removed, const std::vector<std::string>& appended) {
      ++changes;
      ASSERT_LE(removed, lines.size());
      EXPECT_LE(appended.size(), TActivityLog::kLimit);  // never hears of lines pushed out at once
      lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(removed));
      lines.insert(lines.end(), appended.begin(), appended.end());
    });
  }
};

TEST(TActivityLog, ABatchKeepsWhatItsLinesOneByOneWouldAndTheViewFollowsInOneChange) {
  for (const int before : {0, 30, 99, 100}) {
    for (const int batch : {0, 1, 70, 100, 101, 250}) {
      TActivityLog oneByOne, batched;
      View view;
      view.Follow(batched);
      oneByOne.Append(Numbered(before, "old "));
      batched.Append(Numbered(before, "old "));
      const int changesBefore = view.changes;
      for (const auto& line : Numbered(batch)) oneByOne.Append({line});
      batched.Append(Numbered(batch));
      EXPECT_EQ(batched.Lines(), oneByOne.Lines()) << before << " then " << batch;
      EXPECT_EQ(view.lines, batched.Lines()) << before << " then " << batch;
      EXPECT_EQ(view.changes - changesBefore, batch > 0 ? 1 : 0);
    }
  }
}

}  // namespace
}  // namespace horalux
