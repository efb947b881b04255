// From the system's process list (NtQuerySystemInformation), which gives each thread's
// scheduling state; a thread that waits in a system call is in the state "waiting". Wine
// lists every thread as "initialized" (0); there a thread that uses no processor time for
// a while is taken to wait.
#include <windows.h>
#include <winternl.h>

#include <chrono>
#include <thread>
#include <vector>

#include "tests/support/thread_state.h"

namespace horalux::testing {
namespace {

constexpr long kInitialized = 0;  // KTHREAD_STATE Initialized: all Wine says
constexpr long kWaiting = 5;      // KTHREAD_STATE Waiting

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

// Processor time the thread has used, in 100 ns units; -1 when it cannot be read.
std::int64_t ProcessorTime(int systemThreadId) {
  const HANDLE thread =
      ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(systemThreadId));
  if (thread == nullptr) return -1;
  FILETIME created{}, exited{}, kernel{}, user{};
  const BOOL read = ::GetThreadTimes(thread, &created, &exited, &kernel, &user);
  ::CloseHandle(thread);
  if (!read) return -1;
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  return ticks(kernel) + ticks(user);
}

bool UsesNoProcessorTime(int systemThreadId) {
  const std::int64_t before = ProcessorTime(systemThreadId);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return before >= 0 && ProcessorTime(systemThreadId) == before;
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

bool Sleeping(int systemThreadId) {
  const long state = StateOf(systemThreadId);
  return state == kWaiting || (state == kInitialized && UsesNoProcessorTime(systemThreadId));
}

// Windows does not say which call a thread waits in: a waiting thread is taken to be in
// the accept the test has just made it call.
bool BlockedInAccept(int systemThreadId) { return Sleeping(systemThreadId); }

}  // namespace horalux::testing
