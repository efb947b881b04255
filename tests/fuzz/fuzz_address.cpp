// Host texts come from users and files. What counts as a dotted quad must convert, and
// its conversion must print as a dotted quad that converts to the same four bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "stack/address_text.h"
#include "stack/exceptions.h"
#include "stack/int_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)horalux::TryStrToInt(text);
  const bool dottedQuad = horalux::IsDottedQuadText(text);
  try {
    const horalux::TIdAddressBytes bytes = horalux::TextToAddressBytes(text);
    const std::string printed = horalux::AddressBytesToText(bytes);
    if (!horalux::IsDottedQuadText(printed)) std::abort();
    if (horalux::TextToAddressBytes(printed) != bytes) std::abort();
  } catch (const horalux::EConvertError&) {
    if (dottedQuad) std::abort();
  }
  return 0;
}
