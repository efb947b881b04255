// iconv does the code page's work; this file adds the escapes for what it cannot convert.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/code_page.h"

namespace horalux {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char kUnencodable = '?';
constexpr const char* kUnits = "UTF-16LE";

// One direction of conversion, open for the length of one call.
class Converter {
 public:
  Converter(const char* to, const char* from) : descriptor_(::iconv_open(to, from)) {}
  ~Converter() {
    if (IsOpen()) ::iconv_close(descriptor_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool IsOpen() const noexcept { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

  // Converts [in, in + inLeft) into `out` up to the first input it cannot convert; returns
  // false with `in` at that input, true when all of it was converted.
  bool Convert(const char*& in, std::size_t& inLeft, std::string& out) {
    char buffer[1024];
    while (inLeft > 0) {
      char* next = buffer;
      std::size_t outLeft = sizeof buffer;
      auto* input = const_cast<char*>(in);  // iconv's signature; it only reads there
      const std::size_t result = ::iconv(descriptor_, &input, &inLeft, &next, &outLeft);
      in = input;
      out.append(buffer, static_cast<std::size_t>(next - buffer));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        ::iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);  // the initial state again
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t descriptor_;
};

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

char16_t UnitAt(const char* utf16le) {
  return static_cast<char16_t>(static_cast<unsigned char>(utf16le[0]) |
                               static_cast<unsigned char>(utf16le[1]) << 8);
}

void AppendUnits(const std::string& utf16le, std::u16string& text) {
  for (std::size_t i = 0; i + 1 < utf16le.size(); i += 2) text += UnitAt(&utf16le[i]);
}

std::string AsUtf16Le(std::u16string_view units) {
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xff);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// Encodes units that hold no escapes; what cannot be encoded becomes '?'. A lone
// surrogate cannot be encoded either.
void EncodeRun(Converter& converter, std::u16string_view run, std::string& bytes) {
  const std::string in = AsUtf16Le(run);
  const char* next = in.data();
  std::size_t left = in.size();
  while (converter.IsOpen() ? !converter.Convert(next, left, bytes) : left > 0) {
    // Skip the unit (a whole pair when it starts one) that would not convert.
    const char16_t unit = UnitAt(next);
    const bool pair = unit >= 0xD800 && unit <= 0xDBFF && left >= 4 && UnitAt(next + 2) >= 0xDC00 &&
                      UnitAt(next + 2) <= 0xDFFF;
    const std::size_t skip = pair ? 4 : 2;
    if (!converter.IsOpen() && unit < 0x80) {
      bytes += static_cast<char>(unit);
    } else {
      bytes += kUnencodable;
    }
    next += std::min(skip, left);
    left -= std::min(skip, left);
  }
}

}  // namespace

CodePage CodePage::User() {
  const locale_t ctype = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (ctype == static_cast<locale_t>(nullptr)) return CodePage("UTF-8");
  std::string name = ::nl_langinfo_l(CODESET, ctype);
  ::freelocale(ctype);
  if (name.empty() || name == "ANSI_X3.4-1968") name = "UTF-8";
  return CodePage(std::move(name));
}

std::u16string CodePage::Decode(std::string_view bytes) const {
  // Most text is ASCII (times, addresses, most hosts), which every code page keeps.
  if (IsAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
  Converter converter(kUnits, name_.c_str());
  std::u16string text;
  text.reserve(bytes.size());
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    std::string units;
    const bool whole = converter.IsOpen() && converter.Convert(in, inLeft, units);
    AppendUnits(units, text);
    if (whole) break;
    const auto byte = static_cast<unsigned char>(*in++);
    --inLeft;
    text += converter.IsOpen() || byte >= 0x80 ? static_cast<char16_t>(kEscapeBase + byte)
                                               : char16_t{byte};
  }
  return text;
}

std::string CodePage::Encode(std::u16string_view text) const {
  std::string bytes;
  bytes.reserve(text.size());
  if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
    for (const char16_t unit : text) bytes += static_cast<char>(unit);
    return bytes;
  }
  Converter converter(name_.c_str(), kUnits);
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsByteEscape(text[i])) continue;
    EncodeRun(converter, text.substr(runStart, i - runStart), bytes);
    bytes += static_cast<char>(text[i] - kEscapeBase);
    runStart = i + 1;
  }
  EncodeRun(converter, text.substr(runStart), bytes);
  return bytes;
}

}  // namespace horalux
