// The runtime's registry failure, raised by the settings reads and writes, with the
// runtime's own (German) message texts.
#pragma once

#include <string_view>

#include "base/exceptions.h"

namespace horalux {

class ERegistryException : public Exception {
  using Exception::Exception;
};

// %s is the value name. The texts are German, so they are program text only once they are in
// the user's code page (EncodeCodePage), as the window shows program text.
inline constexpr std::u16string_view kRegGetDataFailed = u"Konnte Daten f\u00fcr '%s' nicht holen";
inline constexpr std::u16string_view kRegSetDataFailed = u"Konnte Daten f\u00fcr '%s' nicht setzen";
inline constexpr std::u16string_view kInvalidRegType = u"Ung\u00fcltiger Datentyp f\u00fcr '%s'";

}  // namespace horalux
