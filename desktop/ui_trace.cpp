#include "desktop/ui_trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/escape_controls.h"

namespace horalux {

void TraceUi(const std::string& event) {
  const char* on = std::getenv("HORALUX_UI_TRACE");
  if (on == nullptr || std::strcmp(on, "1") != 0) return;
  const std::string line = "horalux.ui: " + event + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

std::string TraceQuoted(const std::string& text) {
  // A quote within is escaped, so that the closing one is the only bare quote.
  std::string quoted = "\"";
  for (const char c : EscapeControls(text)) {
    if (c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace horalux
