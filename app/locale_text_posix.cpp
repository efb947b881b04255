// iconv does the code set's work; this file adds the escapes for what it cannot convert.
#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/locale_text.h"

namespace horalux {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // U+DC80..U+DCFF stand for the bytes 0x80..0xFF
constexpr char kUnencodable = '?';
static_assert(sizeof(wchar_t) == sizeof(char32_t), "iconv's WCHAR_T is UTF-32 here");

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

bool IsEscape(char16_t unit) { return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF; }

void AppendUtf32(const std::string& utf32, QString& text) {
  std::u32string characters(utf32.size() / sizeof(char32_t), U'\0');
  std::memcpy(characters.data(), utf32.data(), characters.size() * sizeof(char32_t));
  text += QString::fromUcs4(characters.data(), static_cast<qsizetype>(characters.size()));
}

// Encodes characters that hold no escapes; what cannot be encoded becomes "?".
void Encode(Converter& converter, const std::u32string& characters, std::string& bytes) {
  if (!converter.IsOpen()) {
    for (const char32_t c : characters) bytes += c < 0x80 ? static_cast<char>(c) : kUnencodable;
    return;
  }
  const char* in = reinterpret_cast<const char*>(characters.data());
  std::size_t inLeft = characters.size() * sizeof(char32_t);
  while (!converter.Convert(in, inLeft, bytes)) {
    bytes += kUnencodable;
    in += sizeof(char32_t);
    inLeft -= sizeof(char32_t);
  }
}

}  // namespace

LocaleText LocaleText::User() {
  const char* codeset = ::nl_langinfo(CODESET);
  if (codeset == nullptr || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) return LocaleText("UTF-8");
  return LocaleText(codeset);
}

QString LocaleText::ToQString(std::string_view bytes) const {
  const auto ascii = [](char byte) { return static_cast<unsigned char>(byte) < 0x80; };
  if (std::all_of(bytes.begin(), bytes.end(), ascii)) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  Converter converter("WCHAR_T", codeset_.c_str());
  QString text;
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    std::string utf32;
    const bool whole = converter.IsOpen() && converter.Convert(in, inLeft, utf32);
    AppendUtf32(utf32, text);
    if (whole) break;
    const auto byte = static_cast<unsigned char>(*in++);
    --inLeft;
    text += QChar(byte < 0x80 ? char16_t{byte} : static_cast<char16_t>(kEscapeBase + byte));
  }
  return text;
}

std::string LocaleText::ToBytes(const QString& text) const {
  // Most text is ASCII (times, addresses, most hosts), which every locale code set keeps;
  // server threads make a time text per connection.
  const auto ascii = [](QChar c) { return c.unicode() < 0x80; };
  if (std::all_of(text.begin(), text.end(), ascii)) return text.toLatin1().toStdString();
  Converter converter(codeset_.c_str(), "WCHAR_T");
  std::string bytes;
  std::u32string run;  // characters waiting for the code set
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    if (IsEscape(unit)) {
      Encode(converter, run, bytes);
      run.clear();
      bytes += static_cast<char>(unit - kEscapeBase);
    } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
               text[i + 1].isLowSurrogate()) {
      run += QChar::surrogateToUcs4(unit, text[++i].unicode());
    } else {
      run += QChar::isSurrogate(unit) ? char32_t{kUnencodable} : char32_t{unit};
    }
  }
  Encode(converter, run, bytes);
  return bytes;
}

}  // namespace horalux
