// The platform's convention for address reuse on listening sockets, which the server's
// ReuseSocket setting rsOSDependent follows.
#pragma once

namespace horalux {

// True where servers set address reuse on their listening sockets by convention.
bool ReuseAddressByDefault() noexcept;

}  // namespace horalux
