// From /proc/self/task/<tid>: "syscall" holds the number of the system call the thread is
// blocked in, followed by its arguments, or "running" while it runs.
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/thread_state.h"

namespace horalux::testing {
namespace {

std::string TaskFolder(int systemThreadId) {
  return "/proc/self/task/" + std::to_string(systemThreadId);
}

// The system call the thread is blocked in, or -1 when it runs or cannot be read.
long BlockingCallOf(int systemThreadId) {
  std::ifstream file(TaskFolder(systemThreadId) + "/syscall");
  long number = -1;
  if (!(file >> number)) return -1;
  return number;
}

}  // namespace

int SystemThreadId() { return static_cast<int>(::gettid()); }

bool ThreadListed(int systemThreadId) {
  std::error_code ignored;
  return std::filesystem::exists(TaskFolder(systemThreadId), ignored);
}

// State S in the thread's stat line, after its name in parentheses.
bool Sleeping(int systemThreadId) {
  std::ifstream stat(TaskFolder(systemThreadId) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t nameEnd = line.rfind(')');
  return nameEnd != std::string::npos && line.compare(nameEnd + 1, 3, " S ") == 0;
}

bool BlockedInAccept(int systemThreadId) {
  const long call = BlockingCallOf(systemThreadId);
  return call == SYS_accept || call == SYS_accept4;
}

}  // namespace horalux::testing
