// The value lines of the text formats that the Windows registry editor exports (REGEDIT4
// and "Windows Registry Editor Version 5.00"):
//   "Name"="text"            REG_SZ, with the escapes \\ and \"
//   "Name"=dword:0000012c    REG_DWORD, eight hex digits
//   "Name"=hex:01,02         REG_BINARY;  "Name"=hex(N):...  any other type number N (hex)
//   "Name"=-                 a deletion: no value
//   @=...                    the unnamed value
// Hex data may continue on the next line after a trailing backslash. Pure functions,
// thread-safe.
//
// The program's values are 8-bit text in the system's code page, and so is a REGEDIT4
// file: its bytes are taken as they are. A version 5.00 file is Unicode: its lines reach
// these functions as UTF-8 (unicode_text.h), quoted strings and names are converted to and
// from the program's bytes through the code page (code_page.h), and the hex data of the
// string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) holds UTF-16LE, as the registry
// editor writes and imports it. A string whose bytes do not all decode in the code page,
// or that holds control characters, is written as hex(1) data (UTF-16LE in a version 5.00
// file), so the bytes the program saved are the bytes it reads back, whatever they are.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reg_value.h"

namespace horalux {

// How a file spells text; see above. The default is a REGEDIT4 file in the code page.
struct RegDialect {
  bool unicodeText = false;  // lines are UTF-8; quoted text and names convert
  bool unicodeData = false;  // hex data of the string types is UTF-16LE
};

struct RegEntry {
  enum class Kind {
    Value,      // `value` holds what the line stores
    Deletion,   // "Name"=- : the name has no value
    Malformed,  // the name is readable, its data is not
  };
  std::string name;  // as the file spells it
  Kind kind = Kind::Malformed;
  RegValue value;  // as the program holds it
};

// Parses one value entry whose continuation lines are already joined (JoinContinuation).
// nullopt when the line does not begin with a readable name: then it is no value entry.
std::optional<RegEntry> ParseValueEntry(std::string_view entry, const RegDialect& dialect = {});

// The physical lines (without line ends) that store `value` under `name`: strings that are
// safe between quotes are written quoted, four-byte REG_DWORDs as dword:, everything else as
// hex data wrapped near 80 columns the way exports wrap it. nullopt when the name holds
// control characters, which no line could carry, or bytes the code page cannot decode.
std::optional<std::vector<std::string>> FormatValueEntry(std::string_view name,
                                                         const RegValue& value,
                                                         const RegDialect& dialect = {});

// A name or key of the program (code page bytes) as the file spells it; nullopt when a
// Unicode file cannot spell it.
std::optional<std::string> TextInFile(std::string_view text, const RegDialect& dialect);

// True when `entry` is a value entry with hex data whose physical line ends in a backslash.
bool ContinuesOnNextLine(std::string_view entry);
// True when `line` can be the continuation of hex data: hex digits, commas and blanks.
bool IsHexContinuationLine(std::string_view line);
// Appends a continuation line to an entry, dropping the backslash and the indentation.
void JoinContinuation(std::string& entry, std::string_view line);

// ASCII case-insensitive comparison: registry key and value names ignore case.
bool NamesEqual(std::string_view a, std::string_view b);
std::string_view TrimRight(std::string_view text);

}  // namespace horalux
