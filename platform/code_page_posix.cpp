#include <locale.h>
#include <wchar.h>

#include <climits>

#include "platform/code_page.h"

namespace horalux {
namespace {

// The environment's LC_CTYPE locale, in force for the calling thread while this lives.
class ScopedEnvironmentCtype {
 public:
  ScopedEnvironmentCtype() {
    locale_ = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (locale_ == static_cast<locale_t>(nullptr)) {
      locale_ = ::newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }
    if (locale_ != static_cast<locale_t>(nullptr)) previous_ = ::uselocale(locale_);
  }
  ~ScopedEnvironmentCtype() {
    if (locale_ == static_cast<locale_t>(nullptr)) return;
    ::uselocale(previous_);
    ::freelocale(locale_);
  }
  ScopedEnvironmentCtype(const ScopedEnvironmentCtype&) = delete;
  ScopedEnvironmentCtype& operator=(const ScopedEnvironmentCtype&) = delete;

 private:
  locale_t locale_ = static_cast<locale_t>(nullptr);
  locale_t previous_ = static_cast<locale_t>(nullptr);
};

void AppendCodePoint(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out += static_cast<char16_t>(code);
    return;
  }
  code -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (code >> 10));
  out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
}

}  // namespace

std::u16string DecodeCodePage(std::string_view bytes) {
  const ScopedEnvironmentCtype ctype;
  std::u16string out;
  out.reserve(bytes.size());
  std::mbstate_t state{};
  for (std::size_t i = 0; i < bytes.size();) {
    wchar_t wide = 0;
    const std::size_t used = ::mbrtowc(&wide, bytes.data() + i, bytes.size() - i, &state);
    const bool valid = used != static_cast<std::size_t>(-1) &&
                       used != static_cast<std::size_t>(-2) && wide >= 0 && wide <= 0x10FFFF &&
                       (wide < 0xD800 || wide > 0xDFFF);
    if (!valid) {
      out += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i]));
      state = std::mbstate_t{};
      ++i;
      continue;
    }
    AppendCodePoint(out, static_cast<char32_t>(wide));
    i += used == 0 ? 1 : used;  // 0: the NUL character, one byte
  }
  return out;
}

std::string EncodeCodePage(std::u16string_view text) {
  const ScopedEnvironmentCtype ctype;
  std::string out;
  out.reserve(text.size());
  std::mbstate_t state{};
  char buffer[MB_LEN_MAX];
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsByteEscape(unit)) {
      out += static_cast<char>(unit - 0xDC00);
      continue;
    }
    char32_t code = unit;
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      out += '?';
      continue;
    }
    const std::size_t length = ::wcrtomb(buffer, static_cast<wchar_t>(code), &state);
    if (length == static_cast<std::size_t>(-1)) {
      out += '?';
      state = std::mbstate_t{};
      continue;
    }
    out.append(buffer, length);
  }
  return out;
}

}  // namespace horalux
