// The system's 8-bit code page, in which the program keeps its text (host names, value
// names), against UTF-16, in which Unicode registry exports keep theirs. On POSIX systems
// the code page is the character set of LC_CTYPE as the environment sets it (LC_ALL,
// LC_CTYPE, LANG: what setlocale(LC_ALL, "") would pick), or ASCII when that locale is not
// installed.
//
// The program's bytes survive the round trip whatever they are: a byte that does not
// decode in the code page becomes the lone surrogate U+DC00 + byte (no character decodes
// to one of those), and each such unit encodes back to its byte. So for any bytes b,
// EncodeCodePage(DecodeCodePage(b)) == b. The other way round, a character the code page
// cannot represent encodes as '?', as the ANSI calls of Windows do; a lone surrogate
// outside U+DC00..U+DCFF does too.
//
// Thread-safe: the locale is set for the calling thread only, for the duration of a call.
#pragma once

#include <string>
#include <string_view>

namespace horalux {

std::u16string DecodeCodePage(std::string_view bytes);
std::string EncodeCodePage(std::u16string_view text);

// True for U+DC00..U+DCFF, the units that stand for undecodable bytes.
inline bool IsByteEscape(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDCFF; }

}  // namespace horalux
