// Wine's ntdll exports wine_get_version; Windows' does not.
#include <windows.h>

#include "tests/support/wine.h"

namespace horalux::testing {

bool RunningUnderWine() {
  static const bool underWine =
      ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  return underWine;
}

}  // namespace horalux::testing
