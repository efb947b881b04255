// Ties the network core to the Win32 message loop: idle steps handle the pending window
// messages (a PeekMessage loop on the main thread), and work that server threads hand to
// the main thread is run from the loop.
#pragma once

namespace horalux {

class TApplication;

// Main thread. Requires: `application` outlives the hooks; undone by RemoveEventLoopHooks.
void InstallEventLoopHooks(TApplication& application);
void RemoveEventLoopHooks();

}  // namespace horalux
