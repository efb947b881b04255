#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry_file_store.h"

namespace horalux {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  // Services and sudo can run without HOME; the password database still knows the folder.
  std::vector<char> buffer(std::size_t{16} << 10);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr) {
    return {};
  }
  return found->pw_dir;
}

}  // namespace

std::string DefaultStorePath() {
  std::string base;
  // The XDG rules say a relative XDG_CONFIG_HOME is invalid and must be ignored.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    base = config;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    base = home + "/.config";
  }
  return base + "/Vantok/Horalux.reg";
}

std::unique_ptr<RegistryStore> NewUserRegistryStore() {
  return std::make_unique<RegFileStore>(DefaultStorePath(), NewDefaultStoreFileSystem());
}

}  // namespace horalux
