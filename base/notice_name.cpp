#include "base/notice_name.h"

#include <algorithm>
#include <array>

namespace horalux {
namespace {

// Trivially destructible, so that a notice written while static objects are destroyed at
// exit still has its name.
constinit std::array<char, 64> noticeName{'h', 'o', 'r', 'a', 'l', 'u', 'x', '\0'};

}  // namespace

void SetNoticeName(const char* argv0) {
  const std::string name = NoticeNameOf(argv0 == nullptr ? "" : argv0);
  const std::size_t length = std::min(name.size(), noticeName.size() - 1);
  std::copy_n(name.begin(), length, noticeName.begin());
  noticeName[length] = '\0';
}

std::string NoticePrefix() { return std::string(noticeName.data()) + ": "; }

}  // namespace horalux
