// Ties the network core to the Win32 message loop: idle steps handle the pending window
// messages (a PeekMessage loop on the main thread), and work that server threads hand to
// the main thread is run from the loop.
#pragma once

namespace horalux {

class TApplication;
class TWin32Toolkit;

// Main thread. Requires: both outlive the hooks; undone by RemoveEventLoopHooks.
void InstallEventLoopHooks(TApplication& application, TWin32Toolkit& toolkit);
void RemoveEventLoopHooks();

}  // namespace horalux
