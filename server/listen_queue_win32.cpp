#include "server/listen_queue.h"

#include <winsock2.h>

namespace horalux {

// WinSock 2 reads this value as "the provider's reasonable maximum" rather than a length.
int LongestListenQueue() noexcept { return SOMAXCONN; }

}  // namespace horalux
