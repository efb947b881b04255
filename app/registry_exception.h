// The runtime's registry failure, raised by the settings reads and writes, with the
// runtime's own (German) message texts.
#pragma once

#include <string_view>

#include "stack/exceptions.h"

namespace horalux {

class ERegistryException : public Exception {
  using Exception::Exception;
};

// %s is the value name.
inline constexpr std::string_view kRegGetDataFailed = "Konnte Daten für '%s' nicht holen";
inline constexpr std::string_view kRegSetDataFailed = "Konnte Daten für '%s' nicht setzen";
inline constexpr std::string_view kInvalidRegType = "Ungültiger Datentyp für '%s'";

}  // namespace horalux
