// The 8-bit code page in which the program keeps its text (host names, the host list, log
// lines, value names), against UTF-16, in which the window shows text and Unicode registry
// exports keep theirs. The user's code page is, on Windows, the ANSI code page (GetACP);
// on Linux the character set of the environment's LC_CTYPE (LC_ALL, LC_CTYPE, LANG: what
// setlocale(LC_ALL, "") would pick), where the C locale's ASCII counts as UTF-8, as it does
// for Qt and Python: nobody who sets no locale means 7-bit text.
//
// The program's bytes survive the round trip whatever they are: a byte that does not
// decode in the code page becomes the lone surrogate U+DC00 + byte (no character decodes
// to one of those on its own; the second half of a surrogate pair may lie in that range,
// and is no escape), and each such unit encodes back to its byte. So for any bytes b,
// Encode(Decode(b)) == b. The other way round, a character the code page cannot represent
// encodes as '?' (never as a look-alike: a host name must not turn into another one); so
// does a lone surrogate outside U+DC00..U+DCFF.
//
// Thread-safety: an immutable value; any thread, copies included.
#pragma once

#include <string>
#include <string_view>

namespace horalux {

class CodePage {
 public:
  // The user's code page, as the environment chooses it now.
  static CodePage User();
  // A code page by its name ("UTF-8", "ISO-8859-1"; on Windows also "CP1252" or
  // "windows-1252"). One the system does not know decodes every byte above 127 to its
  // escape, which still round-trips.
  explicit CodePage(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const noexcept { return name_; }

  std::u16string Decode(std::string_view bytes) const;
  std::string Encode(std::u16string_view text) const;

 private:
  std::string name_;
};

// True for U+DC00..U+DCFF, the units that stand for undecodable bytes.
inline bool IsByteEscape(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDCFF; }
// True when text[i] stands for an undecodable byte: such a unit, not as the second half of
// a surrogate pair. Requires i < text.size().
inline bool IsByteEscapeAt(std::u16string_view text, std::size_t i) {
  return IsByteEscape(text[i]) && !(i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF);
}

// With the user's code page.
inline std::u16string DecodeCodePage(std::string_view bytes) {
  return CodePage::User().Decode(bytes);
}
inline std::string EncodeCodePage(std::u16string_view text) {
  return CodePage::User().Encode(text);
}

}  // namespace horalux
