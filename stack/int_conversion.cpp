#include "stack/int_conversion.h"

#include <string>

#include "stack/exceptions.h"

namespace horalux {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Returns the length of a hexadecimal prefix at the start of text, or 0.
std::size_t HexPrefixLength(std::string_view text) {
  if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) return 1;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return 2;
  return 0;
}

std::optional<std::uint32_t> ParseHex(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint32_t>(d);
  }
  return value;
}

std::optional<std::int64_t> ParseDecimal(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::int64_t{1} << 31) return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
  while (text.starts_with(' ')) text.remove_prefix(1);
  bool negative = false;
  if (text.starts_with('+') || text.starts_with('-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (const std::size_t prefix = HexPrefixLength(text); prefix > 0) {
    const auto bits = ParseHex(text.substr(prefix));
    if (!bits) return std::nullopt;
    const std::uint32_t value = negative ? 0u - *bits : *bits;
    return static_cast<std::int32_t>(value);
  }
  const auto magnitude = ParseDecimal(text);
  if (!magnitude) return std::nullopt;
  const std::int64_t value = negative ? -*magnitude : *magnitude;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view text) {
  if (const auto value = TryStrToInt(text)) return *value;
  throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace horalux
