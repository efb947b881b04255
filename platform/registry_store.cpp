#include "platform/registry_store.h"

namespace horalux {

std::string UserKeyName(std::string_view subKey) {
  return "HKEY_CURRENT_USER\\" + std::string(subKey);
}

bool IsValidSubKey(std::string_view subKey) {
  if (subKey.empty() || subKey.front() == '\\' || subKey.back() == '\\') return false;
  if (subKey.find("\\\\") != std::string_view::npos) return false;
  for (const char c : subKey) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return true;
}

}  // namespace horalux
