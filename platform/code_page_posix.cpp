// iconv does the code page's work; this file adds the escapes for what it cannot convert. A
// character is only decoded when it encodes back to the very bytes it came from: some code
// pages map several byte sequences to one character (CP932 does), and a round trip must
// give back every byte.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/code_page.h"

namespace horalux {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char kUnencodable = '?';
constexpr const char* kUnits = "UTF-16LE";
constexpr std::size_t kLongestCharacter = 4;  // bytes, in the code pages of this program

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

  // Back to the initial shift state, for a conversion of its own.
  void Reset() {
    if (IsOpen()) ::iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
  }

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

// Encodes text with escapes: each escape gives back its byte, the runs between them go
// through `encoder`.
std::string EncodeWith(Converter& encoder, std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsByteEscapeAt(text, i)) continue;
    encoder.Reset();
    EncodeRun(encoder, text.substr(runStart, i - runStart), bytes);
    bytes += static_cast<char>(text[i] - kEscapeBase);
    runStart = i + 1;
  }
  encoder.Reset();
  EncodeRun(encoder, text.substr(runStart), bytes);
  return bytes;
}

// The text of `bytes` when all of them decode and encode back to themselves.
std::optional<std::u16string> DecodeExactly(Converter& decoder, Converter& encoder,
                                            std::string_view bytes) {
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  std::string units;
  decoder.Reset();
  if (!decoder.Convert(in, inLeft, units)) return std::nullopt;
  std::u16string text;
  AppendUnits(units, text);
  if (EncodeWith(encoder, text) != bytes) return std::nullopt;
  return text;
}

// The length and text of the character that `bytes` start with, when one decodes exactly.
std::optional<std::pair<std::size_t, std::u16string>> CharacterAt(Converter& decoder,
                                                                  Converter& encoder,
                                                                  std::string_view bytes) {
  for (std::size_t length = 1; length <= kLongestCharacter && length <= bytes.size(); ++length) {
    if (auto text = DecodeExactly(decoder, encoder, bytes.substr(0, length))) {
      return std::make_pair(length, std::move(*text));
    }
  }
  return std::nullopt;
}

// Decodes character by character; a byte that starts none becomes its escape.
std::u16string DecodeEach(Converter& decoder, Converter& encoder, std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  std::size_t at = 0;
  while (at < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    std::optional<std::pair<std::size_t, std::u16string>> character;
    if (decoder.IsOpen()) character = CharacterAt(decoder, encoder, bytes.substr(at));
    if (character) {
      text += character->second;
      at += character->first;
    } else {
      // Without a code page ASCII stays itself; anything else becomes its escape.
      text += !decoder.IsOpen() && byte < 0x80 ? char16_t{byte}
                                               : static_cast<char16_t>(kEscapeBase + byte);
      ++at;
    }
  }
  return text;
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
  Converter decoder(kUnits, name_.c_str());
  Converter encoder(name_.c_str(), kUnits);
  if (decoder.IsOpen()) {
    if (std::optional<std::u16string> whole = DecodeExactly(decoder, encoder, bytes)) return *whole;
  }
  return DecodeEach(decoder, encoder, bytes);
}

std::string CodePage::Encode(std::u16string_view text) const {
  if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
    return std::string(text.begin(), text.end());
  }
  Converter encoder(name_.c_str(), kUnits);
  return EncodeWith(encoder, text);
}

}  // namespace horalux
