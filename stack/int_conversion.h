// The runtime's general text-to-integer conversion, which addresses and service names
// rely on: leading blanks, an optional sign, then decimal digits or hexadecimal digits
// after "$", "x" or "0x"; nothing may follow. Decimal values must fit 32 signed bits;
// up to eight hexadecimal digits are read as the 32-bit pattern (so "$FFFFFFFF" is -1).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace horalux {

std::optional<std::int32_t> TryStrToInt(std::string_view text);

// Throws: EConvertError "'<text>' is not a valid integer value" when TryStrToInt fails.
std::int32_t StrToInt(std::string_view text);

}  // namespace horalux
