#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/named_mutex.h"
#include "platform/named_mutex_testing.h"

namespace horalux::testing {

std::string UniqueLockName(const std::string& stem) {
  return stem + "." + std::to_string(::getpid()) + ".OneInstance.Default";
}

ScopedLockPlace::ScopedLockPlace() {
  if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
    previous_ = old;
  }
  char pattern[] = "/tmp/horalux-named-mutex-XXXXXX";
  if (::mkdtemp(pattern) != nullptr) folder_ = pattern;
  ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
}

ScopedLockPlace::~ScopedLockPlace() {
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  if (previous_) {
    ::setenv("XDG_RUNTIME_DIR", previous_->c_str(), 1);
  } else {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
}

struct LockHolderProcess::Native {
  pid_t pid = -1;
};

LockHolderProcess::LockHolderProcess(const std::string& name, const std::function<bool()>& prepare)
    : native_(std::make_unique<Native>()) {
  int ready[2];
  if (::pipe(ready) != 0) return;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ready[0]);
    if (prepare && !prepare()) ::_exit(2);
    NamedMutex mutex(name);
    const char state = mutex.TryLock() == TLockResult::Acquired ? 'y' : 'n';
    if (::write(ready[1], &state, 1) != 1) ::_exit(2);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  native_->pid = pid;
  char state = 0;
  holding_ = pid > 0 && ::read(ready[0], &state, 1) == 1 && state == 'y';
  ::close(ready[0]);
}

LockHolderProcess::~LockHolderProcess() { Kill(); }

void LockHolderProcess::Kill() {
  holding_ = false;
  if (native_->pid <= 0) return;
  ::kill(native_->pid, SIGKILL);
  int status = 0;
  ::waitpid(native_->pid, &status, 0);
  native_->pid = -1;
}

}  // namespace horalux::testing
