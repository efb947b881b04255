// A registry value as the settings store keeps it: a type with its Windows number and the
// raw bytes, exactly as the registry would hand them out.
#pragma once

#include <cstdint>
#include <string>

namespace horalux {

// Value types keep their Windows numbers, so stored files stay interchangeable with
// registry exports and every other number survives a round trip.
using RegType = std::uint32_t;
inline constexpr RegType kRegNone = 0;
inline constexpr RegType kRegSz = 1;
inline constexpr RegType kRegExpandSz = 2;
inline constexpr RegType kRegBinary = 3;
inline constexpr RegType kRegDword = 4;
inline constexpr RegType kRegMultiSz = 7;
inline constexpr RegType kRegQword = 11;

struct RegValue {
  RegType type = kRegNone;
  // 8-bit bytes; a string's data counts its terminating NUL, as the registry stores it.
  std::string data;

  bool operator==(const RegValue&) const = default;
};

}  // namespace horalux
