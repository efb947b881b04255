#include <algorithm>
#include <cctype>

#include "base/notice_name.h"

namespace horalux {
namespace {

// Started from Explorer the program sees its whole path with ".exe", from a prompt the
// name as typed: both speak as "horalux".
std::string_view WithoutExe(std::string_view name) {
  constexpr std::string_view kExe = ".exe";
  if (name.size() <= kExe.size()) return name;
  const std::string_view end = name.substr(name.size() - kExe.size());
  const bool isExe = std::equal(end.begin(), end.end(), kExe.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
  return isExe ? name.substr(0, name.size() - kExe.size()) : name;
}

}  // namespace

std::string NoticeNameOf(std::string_view argv0) {
  const std::string_view name = WithoutExe(argv0.substr(argv0.find_last_of("\\/:") + 1));
  return std::string(name.empty() ? kDefaultNoticeName : name);
}

}  // namespace horalux
