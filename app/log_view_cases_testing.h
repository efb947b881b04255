// The log's keyboard and scrolling rules, one set of cases for every toolkit's window:
// its test drives the window's log through a probe and runs them.
#pragma once

#include <string>

#include "app/form1_view.h"

namespace horalux::testing {

enum class TLogKey { Home, End, PageUp, PageDown, Up, Down };

// The window's log, read and worked as a user would.
class TLogViewProbe {
 public:
  virtual ~TLogViewProbe() = default;
  // Tabs from the control before the log, as a keyboard user would; true when the log has
  // the focus then.
  virtual bool TabIntoLog() = 0;
  // The key, as the toolkit delivers it to the focused log; with Ctrl held when `control`.
  virtual void Press(TLogKey key, bool control) = 0;
  // Scrolls as the mouse wheel or the scroll bar would: the caret stays where it is.
  virtual void ScrollTo(int firstVisibleLine) = 0;
  virtual int LineCount() = 0;
  virtual int FirstVisibleLine() = 0;
  virtual int VisibleLines() = 0;
  virtual std::string Line(int index) = 0;
  // The newest line is in view.
  virtual bool AtEnd() = 0;
};

// The log takes the focus by Tab; Page Up and Down, Ctrl+Home and Ctrl+End and the arrows
// move through a full log.
void ExpectKeysMoveThroughTheLog(TForm1View& view, TLogViewProbe& probe);
// New lines bring the newest into view only when it was in view; otherwise the lines the
// user reads stay in view, also when lines above them go.
void ExpectNewLinesFollowOnlyAViewAtTheEnd(TForm1View& view, TLogViewProbe& probe);

}  // namespace horalux::testing
