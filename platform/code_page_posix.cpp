#include <locale.h>
#include <wchar.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/code_page.h"

namespace horalux {
namespace {

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The environment's LC_CTYPE locale, made once per thread and made again only when the
// variables that choose it change: making one reads the locale's files.
class EnvironmentCtype {
 public:
  ~EnvironmentCtype() { Release(); }

  locale_t Get() {
    std::string key = EnvironmentValue("LC_ALL") + '\n' + EnvironmentValue("LC_CTYPE") + '\n' +
                      EnvironmentValue("LANG");
    if (locale_ != kNone && key == key_) return locale_;
    Release();
    locale_ = ::newlocale(LC_CTYPE_MASK, "", kNone);
    if (locale_ == kNone) locale_ = ::newlocale(LC_CTYPE_MASK, "C", kNone);
    key_ = std::move(key);
    return locale_;
  }

 private:
  static inline const locale_t kNone = static_cast<locale_t>(nullptr);
  void Release() {
    if (locale_ != kNone) ::freelocale(locale_);
    locale_ = kNone;
  }
  locale_t locale_ = kNone;
  std::string key_;
};

// That locale, in force for the calling thread while this lives.
class ScopedEnvironmentCtype {
 public:
  ScopedEnvironmentCtype() {
    thread_local EnvironmentCtype ctype;
    if (const locale_t locale = ctype.Get(); locale != static_cast<locale_t>(nullptr)) {
      previous_ = ::uselocale(locale);
      active_ = true;
    }
  }
  ~ScopedEnvironmentCtype() {
    if (active_) ::uselocale(previous_);
  }
  ScopedEnvironmentCtype(const ScopedEnvironmentCtype&) = delete;
  ScopedEnvironmentCtype& operator=(const ScopedEnvironmentCtype&) = delete;

 private:
  locale_t previous_ = static_cast<locale_t>(nullptr);
  bool active_ = false;
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
