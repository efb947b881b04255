#include "stack/address_text.h"

#include "stack/int_conversion.h"

namespace horalux {

std::string CutHead(std::string& text, std::string_view delimiter) {
  const std::size_t at = text.find(delimiter);
  if (at == std::string::npos) {
    std::string head = std::move(text);
    text.clear();
    return head;
  }
  std::string head = text.substr(0, at);
  text.erase(0, at + delimiter.size());
  return head;
}

bool IsDottedQuadText(std::string_view text) {
  std::string rest(text);
  for (int part = 0; part < 4; ++part) {
    const std::string piece = part < 3 ? CutHead(rest, ".") : rest;
    const auto value = TryStrToInt(piece);
    if (!value || *value < 0 || *value > 255) return false;
  }
  return true;
}

TIdAddressBytes TextToAddressBytes(std::string_view text) {
  std::string rest(text);
  TIdAddressBytes bytes{};
  for (auto& byte : bytes) {
    byte = static_cast<std::uint8_t>(StrToInt(CutHead(rest, ".")) & 0xff);
  }
  return bytes;
}

std::string AddressBytesToText(const TIdAddressBytes& address) {
  std::string text;
  for (std::size_t i = 0; i < address.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(address[i]);
  }
  return text;
}

}  // namespace horalux
