// IPv4 addresses as dotted text and as four bytes. Pure conversions, shared by every
// platform stack (and fuzzed on their own: they take text from users and files).
#pragma once

#include <string>
#include <string_view>

#include "stack/stack.h"

namespace horalux {

// Returns the text before the first delimiter and removes it and the delimiter from
// `text`; without a delimiter returns all of `text` and leaves it empty.
std::string CutHead(std::string& text, std::string_view delimiter);

// Four parts cut at ".", the fourth being all that remains, each an integer from 0 to 255.
bool IsDottedQuadText(std::string_view text);

// Four heads cut at "." converted as integers (low 8 bits kept); anything after a fourth
// dot is ignored. Throws EConvertError when a head is not an integer.
TIdAddressBytes TextToAddressBytes(std::string_view text);

std::string AddressBytesToText(const TIdAddressBytes& address);

}  // namespace horalux
