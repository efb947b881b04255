#include "server/reuse_address.h"

namespace horalux {

// A listening socket that was just closed leaves its port in TIME_WAIT for a minute;
// without SO_REUSEADDR a server switched off and on again could not bind it meanwhile.
// Unlike elsewhere, the option does not let a second live listener share the port here.
bool ReuseAddressByDefault() noexcept { return true; }

}  // namespace horalux
