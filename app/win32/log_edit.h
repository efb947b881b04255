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

// Whether the newest line is in view.
bool NewestLogLineInView(HWND log);

}  // namespace horalux
