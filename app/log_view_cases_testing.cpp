#include "app/log_view_cases_testing.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace horalux::testing {
namespace {

enum class TFrom { Top, End };
enum class TMoves { ToTop, ToEnd, Up, Down };

struct TKeyCase {
  const char* what;
  TFrom from;
  TLogKey key;
  bool control;
  bool pastAPage;  // pressed until the caret has passed a whole view
  TMoves moves;
};

constexpr TKeyCase kKeyCases[] = {
    {"Ctrl+Home", TFrom::End, TLogKey::Home, true, false, TMoves::ToTop},
    {"Ctrl+End", TFrom::Top, TLogKey::End, true, false, TMoves::ToEnd},
    {"Page Up", TFrom::End, TLogKey::PageUp, false, false, TMoves::Up},
    {"Page Down", TFrom::Top, TLogKey::PageDown, false, false, TMoves::Down},
    {"Up", TFrom::End, TLogKey::Up, false, true, TMoves::Up},
    {"Down", TFrom::Top, TLogKey::Down, false, true, TMoves::Down},
};

// A full log in place of what the window showed.
void FillLog(TForm1View& view, TLogViewProbe& probe) {
  std::vector<std::string> lines;
  for (int i = 0; i < 100; ++i) lines.push_back("-> 14:03:07  line " + std::to_string(i));
  view.ChangeLog(static_cast<std::size_t>(probe.LineCount()), lines);
  ASSERT_EQ(probe.LineCount(), 100);
  ASSERT_LT(probe.VisibleLines(), 50);
}

}  // namespace

void ExpectKeysMoveThroughTheLog(TForm1View& view, TLogViewProbe& probe) {
  FillLog(view, probe);
  ASSERT_TRUE(probe.TabIntoLog());
  for (const TKeyCase& test : kKeyCases) {
    SCOPED_TRACE(test.what);
    probe.Press(test.from == TFrom::Top ? TLogKey::Home : TLogKey::End, true);
    ASSERT_EQ(probe.AtEnd(), test.from == TFrom::End);
    const int before = probe.FirstVisibleLine();
    const int presses = test.pastAPage ? probe.VisibleLines() + 1 : 1;
    for (int i = 0; i < presses; ++i) probe.Press(test.key, test.control);
    switch (test.moves) {
      case TMoves::ToTop:
        EXPECT_EQ(probe.FirstVisibleLine(), 0);
        break;
      case TMoves::ToEnd:
        EXPECT_TRUE(probe.AtEnd());
        break;
      case TMoves::Up:
        EXPECT_LT(probe.FirstVisibleLine(), before);
        break;
      case TMoves::Down:
        EXPECT_GT(probe.FirstVisibleLine(), before);
        break;
    }
  }
}

void ExpectNewLinesFollowOnlyAViewAtTheEnd(TForm1View& view, TLogViewProbe& probe) {
  FillLog(view, probe);
  probe.ScrollTo(probe.LineCount());
  view.ChangeLog(1, {"the newest"});
  EXPECT_TRUE(probe.AtEnd());

  // Scrolled by the mouse, the caret elsewhere; moved by the keys, the caret in view.
  const std::pair<const char*, std::function<void()>> kWaysToRead[] = {
      {"scrolled", [&probe] { probe.ScrollTo(40); }},
      {"keys",
       [&probe] {
         probe.Press(TLogKey::Home, true);
         for (int i = 0; i < 3; ++i) probe.Press(TLogKey::PageDown, false);
       }},
  };
  for (const auto& [what, read] : kWaysToRead) {
    SCOPED_TRACE(what);
    read();
    const std::string reading = probe.Line(probe.FirstVisibleLine());
    view.ChangeLog(0, {"a connection"});
    EXPECT_EQ(probe.Line(probe.FirstVisibleLine()), reading);
    view.ChangeLog(2, {"a run"});
    EXPECT_EQ(probe.Line(probe.FirstVisibleLine()), reading);
    view.ChangeLog(3, {"a run", "and two", "more"});
    EXPECT_EQ(probe.Line(probe.FirstVisibleLine()), reading);
    EXPECT_FALSE(probe.AtEnd());
    EXPECT_EQ(probe.LineCount(), 100);
  }

  probe.ScrollTo(probe.LineCount());
  view.ChangeLog(1, {"back at the end"});
  EXPECT_TRUE(probe.AtEnd());
  EXPECT_EQ(probe.Line(probe.LineCount() - 1), "back at the end");
}

}  // namespace horalux::testing
