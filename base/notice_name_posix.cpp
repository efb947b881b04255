#include "base/notice_name.h"

namespace horalux {

std::string NoticeNameOf(std::string_view argv0) {
  const std::string_view name = argv0.substr(argv0.find_last_of('/') + 1);
  return std::string(name.empty() ? kDefaultNoticeName : name);
}

}  // namespace horalux
