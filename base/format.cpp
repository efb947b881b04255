#include "base/format.h"

namespace horalux {

void FmtArg::AppendTo(std::string& out) const {
  if (const auto* number = std::get_if<std::int64_t>(&value_)) {
    out += std::to_string(*number);
  } else {
    out += std::get<std::string_view>(value_);
  }
}

std::string Fmt(std::string_view pattern, std::initializer_list<FmtArg> args) {
  std::string out;
  out.reserve(pattern.size() + 16);
  const FmtArg* next = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    const char kind = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c != '%' || (kind != 'd' && kind != 's' && kind != '%')) {
      out += c;
      continue;
    }
    ++i;
    if (kind == '%') {
      out += '%';
    } else if (next != args.end()) {
      next->AppendTo(out);
      ++next;
    }
  }
  return out;
}

}  // namespace horalux
