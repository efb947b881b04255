#include "tests/support/wine.h"

namespace horalux::testing {

bool RunningUnderWine() { return false; }

}  // namespace horalux::testing
