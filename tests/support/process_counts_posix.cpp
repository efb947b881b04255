// Counts from /proc/self.
#include <filesystem>
#include <thread>

#include "tests/support/process_counts.h"
#include "tests/support/thread_state.h"

namespace horalux::testing {
namespace {

int EntriesIn(const char* folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

}  // namespace

// The iterator's own descriptor is open while counting; it is not counted as a leak
// because every count includes it alike.
int OpenDescriptorCount() { return EntriesIn("/proc/self/fd"); }

int ThreadCount() {
  // ThreadSanitizer starts a thread of its own when the process makes its first thread;
  // make that happen before anything is counted. The joined thread may stay listed for a
  // moment, which would make the first count one too high: wait until it has gone.
  static const bool warmedUp = [] {
    int warmUpThread = 0;
    std::thread([&warmUpThread] { warmUpThread = SystemThreadId(); }).join();
    return Eventually([warmUpThread] { return !ThreadListed(warmUpThread); }, 10000);
  }();
  (void)warmedUp;
  return EntriesIn("/proc/self/task");
}

}  // namespace horalux::testing
