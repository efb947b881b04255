#include "server/listen_queue.h"

#include <sys/socket.h>

namespace horalux {

// The kernel cuts any backlog down to net.core.somaxconn; SOMAXCONN is its usual value.
int LongestListenQueue() noexcept { return SOMAXCONN; }

}  // namespace horalux
