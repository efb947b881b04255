// Between the program's text and the window's: program text is bytes in the user's code
// page (platform/code_page.h), Qt shows QStrings. Every byte string survives the way
// through the window unchanged, and a character typed into the window that the code page
// cannot hold becomes "?", as the system's ANSI conversion does on Windows.
//
// Thread-safety: an immutable value; any thread, copies included.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace horalux {

class LocaleText {
 public:
  static LocaleText User() { return LocaleText(CodePage::User()); }
  explicit LocaleText(std::string codeset) : page_(std::move(codeset)) {}
  explicit LocaleText(CodePage page) : page_(std::move(page)) {}

  QString ToQString(std::string_view bytes) const {
    return QString::fromStdU16String(page_.Decode(bytes));
  }
  std::string ToBytes(const QString& text) const { return page_.Encode(text.toStdU16String()); }

 private:
  CodePage page_;
};

}  // namespace horalux
