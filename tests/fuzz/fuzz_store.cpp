// The store file is the user's to edit, and may be damaged. Reading never crashes, keeps
// every byte, and a value set in any file reads back as it was set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/regedit_document.h"

namespace {

constexpr std::string_view kKey = "HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  horalux::RegDocument document = horalux::RegDocument::Parse(content);
  if (document.Text() != content) std::abort();
  for (const char* name : {"Host", "Interval", "Sync on Startup", "Start Server"}) {
    (void)document.FindValue(kKey, name);
  }
  const horalux::RegValue value{horalux::kRegSz, std::string("time.example\0", 13)};
  if (document.SetValue(kKey, "Host", value)) {
    const auto reread = horalux::RegDocument::Parse(document.Text()).FindValue(kKey, "Host");
    if (!reread || reread->kind != horalux::RegEntry::Kind::Value ||
        reread->value.type != value.type || reread->value.data != value.data) {
      std::abort();
    }
  }
  return 0;
}
