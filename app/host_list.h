// The list of time hosts offered in the host box, read from a plain text file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/exceptions.h"

namespace horalux {

// The runtime's file input/output failure; errorCode() is the system's error number.
class EInOutError : public Exception {
 public:
  EInOutError(int errorCode, std::string message)
      : Exception(std::move(message)), errorCode_(errorCode) {}
  int errorCode() const noexcept { return errorCode_; }

 private:
  int errorCode_;
};

// Splits host-list text that arrives in pieces (a CR LF may be cut between two pieces).
// Not thread-safe; one object per text.
class THostListSplitter {
 public:
  // False once a Ctrl-Z has ended the text: later pieces are not looked at.
  bool Feed(std::string_view piece);
  // The entries; a line cut short by the end of the text or by Ctrl-Z counts.
  std::vector<std::string> Finish();

 private:
  void EndLine();

  std::vector<std::string> lines_;
  std::string current_;
  bool inLine_ = false;
  bool skipLf_ = false;
};

// The entries of a whole host-list text, by the rules of ReadHostList.
std::vector<std::string> SplitHostList(std::string_view text);

// Reads the host list at `path` (the program passes "server.lst", so it is looked for in
// the current folder). 8-bit text; a line ends at CR or CR LF, a lone LF stays in the text;
// reading stops at the end or at the first Ctrl-Z (0x1A). Every line is one entry exactly
// as written: empty lines, duplicates and order are kept, a last line without a line end
// counts, an empty file gives an empty list.
// Throws EInOutError, with the system's reason in the message, when the file is missing
// or cannot be read. Thread-safe (no shared state).
std::vector<std::string> ReadHostList(const std::string& path);

}  // namespace horalux
