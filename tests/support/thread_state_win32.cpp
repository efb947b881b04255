// From the system's process list (NtQuerySystemInformation), which gives each thread's
// scheduling state; a thread that waits in a system call is in the state "waiting".
#include <windows.h>
#include <winternl.h>

#include <vector>

#include "tests/support/thread_state.h"

namespace horalux::testing {
namespace {

constexpr ULONG kWaiting = 5;  // KTHREAD_STATE Waiting

using QuerySystem = NTSTATUS(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);

// This process's entry of the system's process list, with its threads behind it.
std::vector<unsigned char> ProcessList() {
  const auto query = reinterpret_cast<QuerySystem>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<unsigned char> buffer(1 << 20);
  ULONG needed = 0;
  while (query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
               &needed) != 0) {
    if (buffer.size() >= (64u << 20)) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer;
}

// The state of the thread, or -1 when this process does not list it.
long StateOf(int systemThreadId) {
  const std::vector<unsigned char> list = ProcessList();
  const auto self = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(::GetCurrentProcessId()));
  for (std::size_t offset = 0; offset < list.size();) {
    const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&list[offset]);
    if (process->UniqueProcessId == self) {
      const auto* threads = reinterpret_cast<const SYSTEM_THREAD_INFORMATION*>(process + 1);
      for (ULONG i = 0; i < process->NumberOfThreads; ++i) {
        if (reinterpret_cast<ULONG_PTR>(threads[i].ClientId.UniqueThread) ==
            static_cast<ULONG_PTR>(systemThreadId)) {
          return static_cast<long>(threads[i].ThreadState);
        }
      }
      return -1;
    }
    if (process->NextEntryOffset == 0) break;
    offset += process->NextEntryOffset;
  }
  return -1;
}

}  // namespace

int SystemThreadId() { return static_cast<int>(::GetCurrentThreadId()); }

bool ThreadListed(int systemThreadId) {
  const HANDLE thread = ::OpenThread(SYNCHRONIZE, FALSE, static_cast<DWORD>(systemThreadId));
  if (thread == nullptr) return false;
  const bool running = ::WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
  ::CloseHandle(thread);
  return running;
}

// Windows does not say which call a thread waits in: a waiting thread is taken to be in
// the accept the test has just made it call.
bool BlockedInAccept(int systemThreadId) { return StateOf(systemThreadId) == kWaiting; }

}  // namespace horalux::testing
