#include "platform/registry_store_testing.h"

#include <stdexcept>

namespace horalux::testing {

void TestRegistry::Plant(const std::string& name, const RegValue& value) {
  const std::unique_ptr<RegistryKey> key = Store().CreateKey(SubKey());
  if (key == nullptr || !key->SetValue(name, value)) {
    throw std::runtime_error("cannot plant \"" + name + "\": " + Store().LastError());
  }
}

RegValue Dword(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xff);
  return {kRegDword, bytes};
}

RegValue Sz(const std::string& text) { return {kRegSz, text + '\0'}; }

}  // namespace horalux::testing
