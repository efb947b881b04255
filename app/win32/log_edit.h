// The window's log, a read-only multi-line edit control: lines go from its start and come
// at its end in one change each, without taking the view from a user who reads older lines.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace horalux {

// The first `removedFromStart` lines go, then `appended` come at the end. A view that
// showed the newest line shows the new newest one, from its start, with the caret there;
// any other view keeps the lines it showed, the selection and its sideways scroll.
void ChangeLogLines(HWND log, std::size_t removedFromStart,
                    const std::vector<std::string>& appended);

// What the control shows of a log line: the line, or for one longer than kLongestShownLine
// bytes its start and its end around kCutMark, cut between characters. The control lays out
// and measures every line it holds whole, so a hundred lines of a hundred thousand
// characters (a host of that length) would make each paint take seconds; the start and the
// end keep the time, the host's beginning and the outcome in view. The log itself, and
// standard error, keep the line whole.
inline constexpr std::size_t kLongestShownLine = 1'000;
inline constexpr const char* kCutMark = " ... ";
std::string ShownLogLine(const std::string& line);

}  // namespace horalux
