// The platform's longest listen queue, the default of the server's ListenQueue.
#pragma once

namespace horalux {

// The backlog that asks the system for as long a queue of finished handshakes as it
// allows. A short queue fills in a burst of connects (machines of a network asking on the
// hour), and the system then drops handshakes it has already confirmed to the client:
// such a client holds a connection that nobody will ever answer or close.
int LongestListenQueue() noexcept;

}  // namespace horalux
