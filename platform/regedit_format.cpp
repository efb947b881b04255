#include "platform/regedit_format.h"

#include <cstdint>

#include "platform/code_page.h"
#include "platform/unicode_text.h"

namespace horalux {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
// Exported hex data breaks after the comma that reaches this column.
constexpr std::size_t kWrapColumn = 77;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsStringType(RegType type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && NamesEqual(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// Reads a quoted text with the escapes \\ and \" from the front of `text`, which must
// begin with the opening quote; on success `text` is left just after the closing quote.
std::optional<std::string> TakeQuoted(std::string_view& text) {
  std::string out;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return out;
    }
    if (c == '\\') {
      if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) return {};
      out += text[++i];
      continue;
    }
    out += c;
  }
  return {};
}

// Exactly `digits` hex digits (or 1 to `digits` when `exact` is false) and nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view text, std::size_t digits, bool exact) {
  if (text.empty() || text.size() > digits || (exact && text.size() != digits)) return {};
  std::uint32_t value = 0;
  for (const char c : text) {
    const int digit = HexValue(c);
    if (digit < 0) return {};
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

// "01,02,ff": each byte exactly two hex digits; blanks around them are tolerated, anything
// else (a dangling comma, a half byte, a stray backslash) makes the data unreadable, so a
// truncated line never passes for a shorter value.
std::optional<std::string> ParseHexBytes(std::string_view text) {
  std::string bytes;
  if (TrimLeft(TrimRight(text)).empty()) return bytes;
  for (;;) {
    const std::size_t comma = text.find(',');
    const auto number = ParseHexNumber(TrimLeft(TrimRight(text.substr(0, comma))), 2, true);
    if (!number) return {};
    bytes += static_cast<char>(*number);
    if (comma == std::string_view::npos) return bytes;
    text.remove_prefix(comma + 1);
  }
}

// The data after "hex:" or "hex(N):".
std::optional<RegValue> ParseHexData(std::string_view data) {
  RegValue value{kRegBinary, {}};
  data.remove_prefix(3);
  if (!data.empty() && data.front() == '(') {
    const std::size_t close = data.find(')');
    if (close == std::string_view::npos) return {};
    const auto type = ParseHexNumber(data.substr(1, close - 1), 8, false);
    if (!type) return {};
    value.type = *type;
    data.remove_prefix(close + 1);
  }
  if (data.empty() || data.front() != ':') return {};
  auto bytes = ParseHexBytes(data.substr(1));
  if (!bytes) return {};
  value.data = std::move(*bytes);
  return value;
}

std::optional<RegValue> ParseData(std::string_view data, const RegDialect& dialect) {
  if (data.front() == '"') {
    auto text = TakeQuoted(data);
    if (!text || !TrimRight(data).empty()) return {};
    if (dialect.unicodeText) *text = EncodeCodePage(Utf8ToUtf16(*text));
    return RegValue{kRegSz, *text + '\0'};
  }
  if (StartsWithIgnoreCase(data, "dword:")) {
    const auto number = ParseHexNumber(TrimRight(data.substr(6)), 8, true);
    if (!number) return {};
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((*number >> (8 * i)) & 0xff);
    return RegValue{kRegDword, bytes};
  }
  if (!StartsWithIgnoreCase(data, "hex")) return {};
  auto value = ParseHexData(data);
  if (value && dialect.unicodeData && IsStringType(value->type)) {
    value->data = EncodeCodePage(Utf16LeToUnits(value->data));
  }
  return value;
}

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

bool HasControl(std::string_view text) {
  for (const char c : text) {
    if (IsControl(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

// A REG_SZ can go between quotes when its only NUL is the terminating one and it holds
// no control character: the quoted form reads back to exactly the same bytes.
bool QuotableString(const RegValue& value) {
  if (value.type != kRegSz || value.data.empty() || value.data.back() != '\0') return false;
  return !HasControl(std::string_view(value.data).substr(0, value.data.size() - 1));
}

// The same for a string of a Unicode file, decoded from the code page: no undecodable
// byte either, since a lone surrogate has no UTF-8 form that readers would accept.
bool QuotableUnits(std::u16string_view units) {
  if (units.empty() || units.back() != u'\0') return false;
  units.remove_suffix(1);
  for (const char16_t unit : units) {
    if (unit < 0x20 || unit == 0x7f) return false;
  }
  return !HasLoneSurrogate(units);
}

std::string HexNumber(std::uint32_t number) {
  std::string digits;
  do {
    digits.insert(digits.begin(), kHexDigits[number % 16]);
    number /= 16;
  } while (number != 0);
  return digits;
}

std::vector<std::string> HexLines(std::string line, const RegValue& value) {
  line += value.type == kRegBinary ? "hex:" : "hex(" + HexNumber(value.type) + "):";
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    const auto byte = static_cast<unsigned char>(value.data[i]);
    line += kHexDigits[byte >> 4];
    line += kHexDigits[byte & 0x0f];
    if (i + 1 == value.data.size()) break;
    line += ',';
    if (line.size() >= kWrapColumn) {
      lines.push_back(line + '\\');
      line = "  ";
    }
  }
  lines.push_back(std::move(line));
  return lines;
}

std::string DwordText(const std::string& data) {
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = number * 256 + static_cast<unsigned char>(data[i]);
  const std::string digits = HexNumber(number);
  return "dword:" + std::string(8 - digits.size(), '0') + digits;
}

// Where the data of a value entry begins (just after '='); npos when the line has no
// readable name followed by '='.
std::size_t DataStart(std::string_view entry) {
  if (entry.empty()) return std::string_view::npos;
  std::string_view rest = entry;
  if (rest.front() == '@') {
    rest.remove_prefix(1);
  } else if (rest.front() != '"' || !TakeQuoted(rest)) {
    return std::string_view::npos;
  }
  if (rest.empty() || rest.front() != '=') return std::string_view::npos;
  return entry.size() - rest.size() + 1;
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<RegEntry> ParseValueEntry(std::string_view entry, const RegDialect& dialect) {
  RegEntry result;
  std::string_view rest = entry;
  if (!rest.empty() && rest.front() == '@') {
    rest.remove_prefix(1);
  } else {
    if (rest.empty() || rest.front() != '"') return {};
    auto name = TakeQuoted(rest);
    if (!name) return {};
    result.name = std::move(*name);
  }
  if (rest.empty() || rest.front() != '=') return result;  // a name without data: Malformed
  rest.remove_prefix(1);
  if (TrimRight(rest) == "-") {
    result.kind = RegEntry::Kind::Deletion;
  } else if (auto value = rest.empty() ? std::nullopt : ParseData(rest, dialect)) {
    result.kind = RegEntry::Kind::Value;
    result.value = std::move(*value);
  }
  return result;
}

std::optional<std::string> TextInFile(std::string_view text, const RegDialect& dialect) {
  if (!dialect.unicodeText) return std::string(text);
  const std::u16string units = DecodeCodePage(text);
  if (HasLoneSurrogate(units)) return {};
  return Utf16ToUtf8(units);
}

std::optional<std::vector<std::string>> FormatValueEntry(std::string_view name,
                                                         const RegValue& value,
                                                         const RegDialect& dialect) {
  const auto fileName = TextInFile(name, dialect);
  if (!fileName || HasControl(*fileName)) return {};
  std::string head = name.empty() ? "@=" : "\"" + Escaped(*fileName) + "\"=";
  if (dialect.unicodeText && IsStringType(value.type)) {
    const std::u16string units = DecodeCodePage(value.data);
    if (value.type == kRegSz && QuotableUnits(units)) {
      const std::string text = Utf16ToUtf8(units.substr(0, units.size() - 1));
      return std::vector<std::string>{head + "\"" + Escaped(text) + "\""};
    }
    if (dialect.unicodeData) return HexLines(std::move(head), {value.type, UnitsToUtf16Le(units)});
    return HexLines(std::move(head), value);
  }
  if (QuotableString(value)) {
    const std::string_view text(value.data.data(), value.data.size() - 1);
    return std::vector<std::string>{head + "\"" + Escaped(text) + "\""};
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    return std::vector<std::string>{head + DwordText(value.data)};
  }
  return HexLines(std::move(head), value);
}

bool ContinuesOnNextLine(std::string_view entry) {
  const std::size_t data = DataStart(entry);
  if (data == std::string_view::npos) return false;
  const std::string_view trimmed = TrimRight(entry);
  return StartsWithIgnoreCase(entry.substr(data), "hex") && !trimmed.empty() &&
         trimmed.back() == '\\';
}

bool IsHexContinuationLine(std::string_view line) {
  line = TrimLeft(TrimRight(line));
  if (!line.empty() && line.back() == '\\') line.remove_suffix(1);
  if (line.empty()) return false;
  for (const char c : line) {
    if (HexValue(c) < 0 && c != ',' && !IsBlank(c)) return false;
  }
  return true;
}

void JoinContinuation(std::string& entry, std::string_view line) {
  entry.resize(TrimRight(entry).size());
  if (!entry.empty() && entry.back() == '\\') entry.pop_back();
  entry += TrimLeft(line);
}

}  // namespace horalux
