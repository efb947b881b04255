// The text of the application's error box, for a failure that no handler caught.
#pragma once

#include <string>
#include <string_view>

namespace horalux {

// The message with "." appended when its last character has a code above that of "."
// (a letter or a digit, for example; a byte of a non-ASCII character too).
inline std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

}  // namespace horalux
