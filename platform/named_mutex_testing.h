// For the named mutex tests that run on every system: names of the test's own, a place for
// them apart from the user's real ones, and another process that holds a lock.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace horalux::testing {

// `stem` + "." + this process's id + ".OneInstance.Default": no other test process uses it.
std::string UniqueLockName(const std::string& stem);

// Keeps the named objects made while it lives apart from the user's real ones: on Linux a
// fresh folder as XDG_RUNTIME_DIR (the previous value back afterwards); on Windows, whose
// kernel objects leave nothing behind, nothing.
class ScopedLockPlace {
 public:
  ScopedLockPlace();
  ~ScopedLockPlace();
  ScopedLockPlace(const ScopedLockPlace&) = delete;
  ScopedLockPlace& operator=(const ScopedLockPlace&) = delete;

  // The folder (on Windows the namespace) the named objects go to.
  const std::string& Folder() const noexcept { return folder_; }

 private:
  std::string folder_;
  std::optional<std::string> previous_;  // XDG_RUNTIME_DIR before, when it was set
};

// Another process that takes the lock `name` and holds it until it is killed.
class LockHolderProcess {
 public:
  // Waits until the process has tried to take the lock. `prepare` runs in the new process
  // before that, returning false when it failed; only where that process is a copy of this
  // one (Linux: a fork). On Windows it must be empty.
  explicit LockHolderProcess(const std::string& name, const std::function<bool()>& prepare = {});
  // Kills the process when it still runs.
  ~LockHolderProcess();
  LockHolderProcess(const LockHolderProcess&) = delete;
  LockHolderProcess& operator=(const LockHolderProcess&) = delete;

  // The process runs and took the lock.
  bool Holding() const noexcept { return holding_; }
  // Ends the process at once, as a crash would, and waits until it has gone.
  void Kill();

 private:
  struct Native;
  std::unique_ptr<Native> native_;
  bool holding_ = false;
};

}  // namespace horalux::testing
