// A registry export file held line by line, so that editing it keeps everything it does
// not understand (other keys, comments, damaged lines, even binary garbage) verbatim, each
// line with its own line end (CR LF, LF or CR alone). Only the lines of the value being set
// change, and new lines take the file's first line end.
//
// Both export formats are read and written back as they came: REGEDIT4 (8-bit text) and
// version 5.00, in UTF-16LE with a byte-order mark (what the registry editor writes) or in
// UTF-8 with or without one; see regedit_format.h for how their text maps to the
// program's bytes. A file that has no header yet gets REGEDIT4 when it is 8-bit and the
// version 5.00 header when it starts with a byte-order mark.
//
// Reading follows what importing the file would do: a key may appear in several sections
// and a name several times; the last occurrence wins. Key and value names ignore ASCII case.
// Not thread-safe; a value type.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/regedit_format.h"

namespace horalux {

class RegDocument {
 public:
  // Never fails: whatever `content` holds is kept.
  static RegDocument Parse(std::string_view content);
  std::string Text() const;

  // Whether the first line is the header of either format.
  bool HasHeader() const;
  // `key` is the full key name as in a section line, e.g. "HKEY_CURRENT_USER\SOFTWARE\X",
  // in the program's code page, like value names.
  bool HasKey(std::string_view key) const;
  // Appends an empty section for `key` (and puts the header in front when it is missing,
  // so that the file is an export again). False, changing nothing, when a Unicode file
  // cannot spell the key. Requires: !HasKey(key).
  bool AddKey(std::string_view key);

  // The last entry for `name` in the sections of `key`; nullopt when there is none.
  std::optional<RegEntry> FindValue(std::string_view key, std::string_view name) const;
  // Replaces the last entry for `name` (whatever it held, damaged or not), or adds one after
  // the last entry of the key's last section, adding the key when it is missing.
  // Returns false, changing nothing, when the name or key cannot be written
  // (FormatValueEntry, AddKey).
  bool SetValue(std::string_view key, std::string_view name, const RegValue& value);

 private:
  enum class Encoding { Plain, Utf8Bom, Utf16Le };
  struct Line {
    std::string text;  // UTF-8 in a UTF-16 file
    std::string eol;   // "\r\n", "\n", "\r", or "" for a last line without a line end
  };
  struct Span {
    std::size_t first = 0;
    std::size_t count = 1;
    std::optional<RegEntry> entry;  // nullopt: not a value entry
  };
  struct Section {
    std::size_t header = 0;
    std::size_t end = 0;  // one past its last line
  };

  RegDialect Dialect() const;
  bool HeaderIs(std::string_view header) const;
  void SplitLines(std::string_view text);
  std::vector<Section> SectionsOf(std::string_view key) const;
  Span SpanAt(std::size_t index, std::size_t end) const;
  std::size_t EndOfEntries(const Section& section) const;
  const std::string& DefaultEol() const;
  void Insert(std::size_t at, const std::vector<std::string>& texts, const std::string& eol);

  std::vector<Line> lines_;
  Encoding encoding_ = Encoding::Plain;
  std::string oddByte_;  // a UTF-16 file's last byte when its length is odd
};

}  // namespace horalux
