// The system's conversions (MultiByteToWideChar, WideCharToMultiByte) do the code page's
// work; this file adds the escapes for what they cannot convert. A character is only
// decoded when it encodes back to the very bytes it came from: some code pages map several
// byte sequences to one character, and a round trip must give back every byte.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "platform/code_page.h"

namespace horalux {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr UINT kUnknown = 0;
constexpr int kLongestCharacter = 4;  // bytes, in any code page Windows has

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The number of a code page name, kUnknown when it names none that this system has.
UINT CodePageNumber(const std::string& name) {
  std::string upper = Upper(name);
  if (upper == "UTF-8" || upper == "UTF8") return CP_UTF8;
  if (upper == "US-ASCII" || upper == "ASCII" || upper == "ANSI_X3.4-1968") return 20127;
  unsigned offset = 0;
  for (const char* prefix : {"WINDOWS-", "CP", "IBM"}) {
    if (upper.rfind(prefix, 0) == 0) upper.erase(0, std::string_view(prefix).size());
  }
  if (upper.rfind("ISO-8859-", 0) == 0) {
    upper.erase(0, 9);
    offset = 28590;  // ISO-8859-n is 28590 + n
  }
  if (upper.empty() || upper.size() > 5 ||
      !std::all_of(upper.begin(), upper.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return kUnknown;
  }
  const UINT number = offset + static_cast<UINT>(std::stoul(upper));
  return ::IsValidCodePage(number) ? number : kUnknown;
}

// Encodes units that hold neither escapes nor lone surrogates. What the code page cannot
// hold becomes '?', without best-fit look-alikes.
void EncodeWellFormed(UINT codePage, std::u16string_view units, std::string& bytes) {
  if (units.empty()) return;
  const bool utf8 = codePage == CP_UTF8;  // takes neither flags nor a default character
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* unencodable = utf8 ? nullptr : "?";
  const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
  const int count = static_cast<int>(units.size());
  const int size = codePage == kUnknown ? 0
                                        : ::WideCharToMultiByte(codePage, flags, wide, count,
                                                                nullptr, 0, unencodable, nullptr);
  if (size <= 0) {
    for (const char16_t unit : units) {
      if (!IsLowSurrogate(unit)) bytes += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return;
  }
  const std::size_t start = bytes.size();
  bytes.resize(start + static_cast<std::size_t>(size));
  ::WideCharToMultiByte(codePage, flags, wide, count, &bytes[start], size, unencodable, nullptr);
}

// Encodes units without escapes; a lone surrogate becomes '?'.
void EncodeRun(UINT codePage, std::u16string_view run, std::string& bytes) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < run.size(); ++i) {
    const bool pair = IsHighSurrogate(run[i]) && i + 1 < run.size() && IsLowSurrogate(run[i + 1]);
    if (pair) {
      ++i;
    } else if (IsHighSurrogate(run[i]) || IsLowSurrogate(run[i])) {
      EncodeWellFormed(codePage, run.substr(start, i - start), bytes);
      bytes += '?';
      start = i + 1;
    }
  }
  EncodeWellFormed(codePage, run.substr(start), bytes);
}

std::string EncodeIn(UINT codePage, std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsByteEscapeAt(text, i)) continue;
    EncodeRun(codePage, text.substr(runStart, i - runStart), bytes);
    bytes += static_cast<char>(text[i] - kEscapeBase);
    runStart = i + 1;
  }
  EncodeRun(codePage, text.substr(runStart), bytes);
  return bytes;
}

// The text of `bytes` when all of them decode and encode back to themselves.
std::optional<std::u16string> DecodeExactly(UINT codePage, std::string_view bytes) {
  const int count = static_cast<int>(bytes.size());
  const int size =
      ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::u16string text(static_cast<std::size_t>(size), u'\0');
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), count,
                        reinterpret_cast<wchar_t*>(text.data()), size);
  if (EncodeIn(codePage, text) != bytes) return std::nullopt;
  return text;
}

// The length and text of the character that `bytes` start with, when one decodes exactly.
std::optional<std::pair<std::size_t, std::u16string>> CharacterAt(UINT codePage,
                                                                  std::string_view bytes) {
  for (std::size_t length = 1; length <= kLongestCharacter && length <= bytes.size(); ++length) {
    if (std::optional<std::u16string> text = DecodeExactly(codePage, bytes.substr(0, length))) {
      return std::make_pair(length, std::move(*text));
    }
  }
  return std::nullopt;
}

// Decodes character by character; a byte that starts none becomes its escape.
std::u16string DecodeEach(UINT codePage, std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  std::size_t at = 0;
  while (at < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) {  // every ANSI code page keeps ASCII where a character starts
      text += static_cast<char16_t>(byte);
      ++at;
      continue;
    }
    std::optional<std::pair<std::size_t, std::u16string>> character;
    if (codePage != kUnknown) character = CharacterAt(codePage, bytes.substr(at));
    if (character) {
      text += character->second;
      at += character->first;
    } else {
      text += static_cast<char16_t>(kEscapeBase + byte);
      ++at;
    }
  }
  return text;
}

}  // namespace

CodePage CodePage::User() {
  const UINT ansi = ::GetACP();
  return CodePage(ansi == CP_UTF8 ? "UTF-8" : "CP" + std::to_string(ansi));
}

std::u16string CodePage::Decode(std::string_view bytes) const {
  // Most text is ASCII (times, addresses, most hosts), which every ANSI code page keeps.
  if (IsAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
  const UINT codePage = CodePageNumber(name_);
  if (codePage != kUnknown) {
    if (std::optional<std::u16string> whole = DecodeExactly(codePage, bytes)) return *whole;
  }
  return DecodeEach(codePage, bytes);
}

std::string CodePage::Encode(std::u16string_view text) const {
  if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
    return std::string(text.begin(), text.end());
  }
  return EncodeIn(CodePageNumber(name_), text);
}

}  // namespace horalux
