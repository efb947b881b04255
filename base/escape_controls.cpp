#include "base/escape_controls.h"

namespace horalux {
namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 character at text[at] and its code point, or 0
// when none starts there (overlong forms and surrogates are not well-formed).
std::size_t Utf8Character(std::string_view text, std::size_t at, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0xC2 || lead > 0xF4) return 0;
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  codePoint = lead & (0x7F >> length);
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[at + i]);
    if (!IsContinuation(byte)) return 0;
    codePoint = codePoint << 6 | (byte & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  return codePoint < least || surrogate || codePoint > 0x10FFFF ? 0 : length;
}

void AppendHexEscape(std::string& out, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

bool IsC1(char32_t codePoint) { return codePoint >= 0x80 && codePoint <= 0x9F; }

void AppendAscii(std::string& out, char byte) {
  switch (byte) {
    case '\\':
      out += "\\\\";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F) {
        AppendHexEscape(out, static_cast<unsigned char>(byte));
      } else {
        out += byte;
      }
  }
}

// Appends the character at text[at] (a byte of 0x80 or above) and returns its length: a
// UTF-8 character whole, otherwise the single byte of an 8-bit code set.
std::size_t AppendHigh(std::string& out, std::string_view text, std::size_t at) {
  char32_t codePoint = 0;
  const std::size_t length = Utf8Character(text, at, codePoint);
  if (length == 0) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (IsC1(byte)) {
      AppendHexEscape(out, byte);
    } else {
      out += text[at];
    }
    return 1;
  }
  for (std::size_t i = at; i < at + length; ++i) {
    if (IsC1(codePoint)) {
      AppendHexEscape(out, static_cast<unsigned char>(text[i]));
    } else {
      out += text[i];
    }
  }
  return length;
}

}  // namespace

std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      AppendAscii(out, text[at++]);
    } else {
      at += AppendHigh(out, text, at);
    }
  }
  return out;
}

}  // namespace horalux
