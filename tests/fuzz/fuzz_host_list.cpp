// The host-list reader takes whatever file a user leaves in the folder. Besides not
// crashing, cutting the text into pieces anywhere must not change the entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/host_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto whole = horalux::SplitHostList(text);
  for (const auto& entry : whole) {
    if (entry.find('\r') != std::string::npos || entry.find('\x1a') != std::string::npos) {
      std::abort();  // line ends and the end mark never reach an entry
    }
  }
  horalux::THostListSplitter pieces;
  const std::size_t step = size > 0 ? 1 + data[0] % 7 : 1;
  for (std::size_t at = 0; at < size; at += step) {
    if (!pieces.Feed(text.substr(at, step))) break;
  }
  if (pieces.Finish() != whole) std::abort();
  return 0;
}
