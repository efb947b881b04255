// Conversions between UTF-16 and the 8-bit form in which the registry documents hold
// Unicode text: UTF-8, where a lone surrogate takes the three-byte form it would have as a
// code point, so that every UTF-16 text, well-formed or not, survives the trip and back.
// Pure functions, thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace horalux {

// Lossless: Utf8ToUtf16(Utf16ToUtf8(t)) == t for every t.
std::string Utf16ToUtf8(std::u16string_view text);
// Takes the three-byte forms of surrogates as well. A byte that starts no well-formed
// sequence becomes U+DC00 + byte (see code_page.h), so that text read from a damaged file
// maps back to the bytes it held.
std::u16string Utf8ToUtf16(std::string_view text);

// Little-endian byte pairs; a last odd byte is dropped, as the system's conversion would.
std::u16string Utf16LeToUnits(std::string_view bytes);
std::string UnitsToUtf16Le(std::u16string_view units);

// A surrogate that is not half of a well-formed pair.
bool HasLoneSurrogate(std::u16string_view text);

}  // namespace horalux
