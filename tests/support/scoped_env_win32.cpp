#include <stdlib.h>

#include "tests/support/scoped_env.h"

namespace horalux::testing {

// An empty value removes the variable.
void SetEnvVar(const char* name, const char* value) {
  ::_putenv_s(name, value != nullptr ? value : "");
}

}  // namespace horalux::testing
