// The value lines of the text format that the Windows registry editor exports (REGEDIT4):
//   "Name"="text"            REG_SZ, with the escapes \\ and \"
//   "Name"=dword:0000012c    REG_DWORD, eight hex digits
//   "Name"=hex:01,02         REG_BINARY;  "Name"=hex(N):...  any other type number N (hex)
//   "Name"=-                 a deletion: no value
//   @=...                    the unnamed value
// Hex data may continue on the next line after a trailing backslash. Text is 8-bit; bytes
// other than the escaped ones are taken as they are. Pure functions, thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reg_value.h"

namespace horalux {

struct RegEntry {
  enum class Kind {
    Value,      // `value` holds what the line stores
    Deletion,   // "Name"=- : the name has no value
    Malformed,  // the name is readable, its data is not
  };
  std::string name;
  Kind kind = Kind::Malformed;
  RegValue value;
};

// Parses one value entry whose continuation lines are already joined (JoinContinuation).
// nullopt when the line does not begin with a readable name: then it is no value entry.
std::optional<RegEntry> ParseValueEntry(std::string_view entry);

// The physical lines (without line ends) that store `value` under `name`: strings that are
// safe between quotes are written quoted, four-byte REG_DWORDs as dword:, everything else as
// hex data wrapped near 80 columns the way exports wrap it. nullopt when the name holds
// control characters, which no line could carry.
std::optional<std::vector<std::string>> FormatValueEntry(std::string_view name,
                                                         const RegValue& value);

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
