// Ties the network core to the Qt event loop: idle steps handle pending window events,
// and work that server threads hand to the main thread is run from the loop.
#pragma once

namespace horalux {

// Main thread, with a QApplication in place. Undone by RemoveEventLoopHooks.
void InstallEventLoopHooks();
void RemoveEventLoopHooks();

}  // namespace horalux
