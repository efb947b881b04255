// Between the program's text and the window's. Hosts, the host list and log lines are
// bytes in the user's locale code set, as the store and "server.lst" hold them (the 8-bit
// text of the system code page); Qt shows QStrings. Every byte string survives the way
// through the window unchanged: a byte the code set cannot decode becomes a lone
// surrogate U+DC80 + byte (as Python's "surrogateescape" does) and turns back into the
// same byte. A character typed into the window that the code set cannot encode becomes
// "?", as the system's ANSI conversion does on Windows.
//
// Thread-safety: an immutable value; any thread, copies included.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace horalux {

class LocaleText {
 public:
  // The code set of the user's locale (LC_CTYPE, as QApplication set it from the
  // environment). The C locale's ASCII counts as UTF-8, as it does for Qt and Python:
  // nobody who sets no locale means 7-bit text.
  static LocaleText User();

  // A code set by its iconv name ("UTF-8", "ISO-8859-1"). One that iconv does not know
  // decodes every byte above 127 to its surrogate, which still round-trips.
  explicit LocaleText(std::string codeset) : codeset_(std::move(codeset)) {}

  const std::string& Codeset() const noexcept { return codeset_; }

  QString ToQString(std::string_view bytes) const;
  std::string ToBytes(const QString& text) const;

 private:
  std::string codeset_;
};

}  // namespace horalux
