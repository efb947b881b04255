// Named locks shared by the processes of one user: the stand-in for named kernel mutexes.
// A name maps to a lock file in the user's runtime folder ($XDG_RUNTIME_DIR, or /tmp with
// the user id in the file name); the lock is an exclusive flock() on it. The kernel drops
// a flock when the last descriptor of its open file goes away, also when the holder is
// killed, so a lock left behind by a crashed process is free again at once.
//
// Thread-safety: one NamedMutex object belongs to one thread at a time. Two objects of
// the same name exclude each other also within one process (flock locks an open file,
// not a process).
#pragma once

#include <string>
#include <string_view>

namespace horalux {

// Where the named objects of this user live: $XDG_RUNTIME_DIR when it names an existing
// folder, else /tmp.
std::string NamedObjectDirectory();

// The path that stands for the named object `name` (a lock file or a local socket):
// the folder above, the name with '/' and '%' escaped as %2F and %25, and, in /tmp, a dot
// and the user id appended so that users do not share objects.
std::string NamedObjectPath(std::string_view name);

enum class TLockResult {
  Acquired,       // this object holds the lock now
  HeldElsewhere,  // another object (in this or another process) holds it
  Failed,         // the lock file could not be opened or locked
};

class NamedMutex {
 public:
  // Opens, creating it when missing, the lock file of `name` (NamedObjectPath plus
  // ".lock"); does not lock. Never throws for system failures: TryLock then reports
  // Failed and Error() holds the errno. The file is never removed: removing a lock file
  // that another process has open would let two processes hold "the same" lock.
  explicit NamedMutex(std::string_view name);
  // Closes the file, which releases the lock when this object holds it.
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Takes the lock without waiting. Taking it again while held by this object succeeds.
  TLockResult TryLock();
  // Releases the lock; nothing when it is not held.
  void Unlock();

  bool Held() const noexcept { return held_; }
  const std::string& Path() const noexcept { return path_; }
  int Error() const noexcept { return error_; }

 private:
  std::string path_;
  int fd_ = -1;
  int error_ = 0;
  bool held_ = false;
};

}  // namespace horalux
