// Text from outside (a host as stored or typed, a reason the system gave, a peer's
// address) made safe for a log line, a trace line and a terminal showing them.
//
// Thread-safety: a pure function.
#pragma once

#include <string>
#include <string_view>

namespace horalux {

// A line feed, carriage return and tab become \n, \r and \t, every other control
// character \xHH per byte (C0, DEL, and C1 whether as UTF-8 or as a single byte that is
// not part of a UTF-8 character), and a backslash \\, so that an escape can be told from
// text that looks like one. Every other byte, in whatever 8-bit or UTF-8 code set, stays.
std::string EscapeControls(std::string_view text);

}  // namespace horalux
