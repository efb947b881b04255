// The system's own text for a Windows error number, in the user's language and code page,
// shaped like the Linux strerror() texts that the program's lines were made for: one
// sentence without its full stop and without the line end that the message tables carry
// ("Access is denied.\r\n" becomes "Access is denied").
// Thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace horalux {

// FormatMessageA of `error`, trimmed; "system error <n>" when the system has no text for it.
std::string SystemMessageText(unsigned long error);

// `text` without trailing white space (CR, LF, blanks) and then without one full stop and
// the blanks before it.
std::string TrimmedMessageText(std::string_view text);

}  // namespace horalux
