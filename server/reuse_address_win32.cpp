#include "server/reuse_address.h"

namespace horalux {

// Windows frees a closed listener's port at once, so a server switched off and on again
// binds it without help; SO_REUSEADDR here would let another program bind the same port
// while this one listens on it.
bool ReuseAddressByDefault() noexcept { return false; }

}  // namespace horalux
