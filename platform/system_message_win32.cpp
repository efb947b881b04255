#include "platform/system_message_win32.h"

#include <windows.h>

namespace horalux {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void DropTrailingBlanks(std::string_view& text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
}

}  // namespace

std::string TrimmedMessageText(std::string_view text) {
  DropTrailingBlanks(text);
  if (!text.empty() && text.back() == '.') text.remove_suffix(1);
  DropTrailingBlanks(text);
  return std::string(text);
}

std::string SystemMessageText(unsigned long error) {
  char* buffer = nullptr;
  // Language 0: the user's language, as strerror follows the user's locale on Linux.
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return "system error " + std::to_string(error);
  std::string text = TrimmedMessageText(std::string_view(buffer, length));
  ::LocalFree(buffer);
  return text.empty() ? "system error " + std::to_string(error) : text;
}

}  // namespace horalux
