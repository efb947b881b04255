// Counts from the system's view of this process: its handle count and a snapshot of the
// system's threads.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "tests/support/process_counts.h"

namespace horalux::testing {

int OpenDescriptorCount() {
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return static_cast<int>(count);
}

// The snapshot's own handle is open while counting, in every count alike.
int ThreadCount() {
  // GoogleTest watches every thread that uses its per-thread state (a trace, a failure)
  // with a thread of its own, for the watched thread's lifetime. Make the counting
  // thread's watcher exist before anything is counted.
  static const bool warmedUp = [] {
    SCOPED_TRACE("counting threads");
    return true;
  }();
  (void)warmedUp;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  const DWORD self = ::GetCurrentProcessId();
  int count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Thread32First(snapshot, &entry); more;
       more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == self) ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

}  // namespace horalux::testing
