#include "app/win32/log_edit.h"

#include <algorithm>
#include <string_view>

namespace horalux {
namespace {

LRESULT Send(HWND log, UINT message, WPARAM w = 0, LPARAM l = 0) {
  return ::SendMessageA(log, message, w, l);
}

LRESULT LineCount(HWND log) { return Send(log, EM_GETLINECOUNT); }
LRESULT FirstVisibleLine(HWND log) { return Send(log, EM_GETFIRSTVISIBLELINE); }

// Where the first line in view starts, across: further left the further the view is
// scrolled sideways.
int FirstLineX(HWND log) {
  const LRESULT start = Send(log, EM_LINEINDEX, static_cast<WPARAM>(FirstVisibleLine(log)));
  return static_cast<short>(LOWORD(Send(log, EM_POSFROMCHAR, static_cast<WPARAM>(start))));
}

bool NewestLogLineInView(HWND log) {
  SCROLLINFO bar{sizeof bar, SIF_PAGE | SIF_POS | SIF_RANGE, 0, 0, 0, 0, 0};
  if (!::GetScrollInfo(log, SB_VERT, &bar) || bar.nPage == 0) return true;
  return FirstVisibleLine(log) + static_cast<LRESULT>(bar.nPage) >= LineCount(log);
}

// What a user reading older lines sees, to be given back after the change.
struct TReading {
  LRESULT firstLine = 0;
  DWORD selectionStart = 0;
  DWORD selectionEnd = 0;
  int firstLineX = 0;
};

TReading ReadingOf(HWND log) {
  TReading reading;
  reading.firstLine = FirstVisibleLine(log);
  Send(log, EM_GETSEL, reinterpret_cast<WPARAM>(&reading.selectionStart),
       reinterpret_cast<LPARAM>(&reading.selectionEnd));
  reading.firstLineX = FirstLineX(log);
  return reading;
}

// Removes the first `lines` lines; returns the characters that went.
LRESULT RemoveFirstLines(HWND log, std::size_t lines) {
  if (lines == 0) return 0;
  const LRESULT end = lines >= static_cast<std::size_t>(LineCount(log))
                          ? ::GetWindowTextLengthA(log)
                          : Send(log, EM_LINEINDEX, lines);
  Send(log, EM_SETSEL, 0, end);
  Send(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
  return end;
}

void AppendLines(HWND log, const std::vector<std::string>& appended) {
  const int length = ::GetWindowTextLengthA(log);
  std::string text;
  for (const std::string& line : appended) {
    if (!text.empty() || length > 0) text += "\r\n";
    text += ShownLogLine(line);
  }
  Send(log, EM_SETSEL, length, length);
  Send(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

// The newest line in view from its start, so a long line does not leave the log scrolled
// sideways.
void ShowStartOfNewestLine(HWND log) {
  const LRESULT lastStart = Send(log, EM_LINEINDEX, static_cast<WPARAM>(LineCount(log) - 1));
  Send(log, EM_SETSEL, lastStart, lastStart);
  Send(log, EM_SCROLLCARET);
}

// Replacing text scrolls the caret into view; this takes the view back to what the user
// read. Sideways the control scrolls by whole characters only, so that comes back as near
// as they allow.
void GiveBack(HWND log, const TReading& reading, std::size_t removedLines, LRESULT removedChars) {
  const auto shifted = [removedChars](DWORD at) {
    return static_cast<LPARAM>(std::max<LRESULT>(static_cast<LRESULT>(at) - removedChars, 0));
  };
  Send(log, EM_SETSEL, static_cast<WPARAM>(shifted(reading.selectionStart)),
       shifted(reading.selectionEnd));
  const auto removed = static_cast<LRESULT>(
      std::min<std::size_t>(removedLines, static_cast<std::size_t>(reading.firstLine)));
  Send(log, EM_LINESCROLL, 0, reading.firstLine - removed - FirstVisibleLine(log));
  Send(log, WM_HSCROLL, SB_LEFT);
  for (int x = FirstLineX(log); x > reading.firstLineX;) {
    Send(log, EM_LINESCROLL, 1, 0);
    const int now = FirstLineX(log);
    if (now >= x) break;  // as far as the control goes
    x = now;
  }
}

}  // namespace

// One pass over the line with the code page's own steps, so that no double-byte character
// is split: the head ends at the first character boundary at or after its share, the tail
// starts at the first one from which at most its share remains.
std::string ShownLogLine(const std::string& line) {
  if (line.size() <= kLongestShownLine) return line;
  const std::size_t share = (kLongestShownLine - std::string_view(kCutMark).size()) / 2;
  const char* const begin = line.c_str();
  const char* const end = begin + line.size();
  const char* headEnd = nullptr;
  const char* tailStart = nullptr;
  for (const char* at = begin; at < end && tailStart == nullptr;) {
    if (headEnd == nullptr && static_cast<std::size_t>(at - begin) >= share) headEnd = at;
    if (headEnd != nullptr && static_cast<std::size_t>(end - at) <= share) tailStart = at;
    const char* next = ::CharNextA(at);
    at = next > at ? next : at + 1;  // a NUL inside the line is one character too
  }
  if (headEnd == nullptr || tailStart == nullptr) return line;
  return std::string(begin, headEnd) + kCutMark + std::string(tailStart, end);
}

void ChangeLogLines(HWND log, std::size_t removedFromStart,
                    const std::vector<std::string>& appended) {
  const bool followNewest = NewestLogLineInView(log);
  const TReading reading = ReadingOf(log);
  const LRESULT removedChars = RemoveFirstLines(log, removedFromStart);
  AppendLines(log, appended);
  if (followNewest) {
    ShowStartOfNewestLine(log);
  } else {
    GiveBack(log, reading, removedFromStart, removedChars);
  }
}

}  // namespace horalux
