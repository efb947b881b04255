// What the kernel says about one thread of this process, for tests that must know that
// another thread really waits in a system call before they act, and that a joined thread
// is really gone.
#pragma once

namespace horalux::testing {

// The calling thread's id in the kernel's numbering.
int SystemThreadId();

// Whether the process still lists the thread. A joined thread may stay listed for a
// moment: pthread_join returns once the thread has left user space, before the kernel
// has finished it.
bool ThreadListed(int systemThreadId);

// Whether the thread is blocked in accept() now.
bool BlockedInAccept(int systemThreadId);

// Whether the thread waits in the system now (in any call: a sleep, a lock, a socket).
bool Sleeping(int systemThreadId);

}  // namespace horalux::testing
