#include "desktop/ui_trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace horalux {

bool UiTraceOn() {
  const char* value = std::getenv("HORALUX_UI_TRACE");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

void TraceUi(const std::string& event) {
  if (!UiTraceOn()) return;
  const std::string line = "horalux.ui: " + event + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

std::string TraceQuoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += {'\\', c};
    } else if (c == '\r' || c == '\n' || c == '\t') {
      quoted += {'\\', c == '\r' ? 'r' : c == '\n' ? 'n' : 't'};
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace horalux
