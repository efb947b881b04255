// Named locks shared by the processes of one user on one machine: the single-instance
// guard's two mutexes. Taking a lock never waits. A lock whose holder dies (killed, crashed,
// or its thread ended without letting go) is free again for the next one who tries.
//
// On Windows a name is a named kernel mutex (CreateMutexA, not owned at first; taken with a
// wait of 0 ms, where WAIT_ABANDONED, a holder that died, counts as taken). Its full name is
// "Local\" + the name, with '\' and '%' escaped as %5C and %25 (the kernel takes no '\'
// in a name after the prefix): Folder() is "Local", Path() the full name. "Local\" is the
// namespace of this desktop session (each session, local or remote, has its own), where
// Windows puts a name without prefix anyway, so
// older and other programs that use the bare name meet the same object; the prefix only
// says so. "Global\" would let one user's instance shut out another user's on the same
// machine, where each has their own tray and settings. The kernel itself gives nothing to
// check about where the object lives: no other session can reach this namespace, and a
// mutex is no file that others could plant.
//
// On Linux a name maps to a lock file; the lock is an exclusive flock() on it. The kernel
// drops a flock when the last descriptor of its open file goes away, also when the holder
// is killed, so a lock left behind by a crashed process is free again at once.
//
// Where the Linux lock files live. Nothing another account can create may take, fake or
// split a lock, so a name never maps to a path in a folder that others can write. The
// folders, in the order they are tried for each lock file (the first that can open it wins):
//  1. $XDG_RUNTIME_DIR, when it is absolute and, checked with lstat, a real folder (no
//     symlink) owned by this user that no one else may enter. After `su` it names the other
//     user's folder and is skipped; a folder made read-only (0500) or a full file system
//     fails the open and leads on to 2.
//  2. A private folder of this program: the first of these that already is ours, or else
//     the first that can be made ours (mkdir 0700, then checked with lstat: a folder, not a
//     symlink, owned by this user, mode 0700; anything else is refused and the next tried):
//       /tmp/horalux-<uid>, /tmp/horalux-<uid>-1 ... -3, $HOME/.cache/horalux-<host digest>
//     /tmp comes first: it is on this machine, so flock() and local sockets work there, and
//     its paths stay far below the 107 bytes a local socket address may hold. Because "ours"
//     is looked for over the whole list before anything is created, every instance of the
//     user settles on the same folder, also when another account plants or later removes
//     something at one of the /tmp names. The home folder is the last resort that others
//     cannot write at all; it comes last because a home on a network file system may not
//     carry flock() reliably, and its name holds a digest of the host name so that
//     machines sharing one home over NFS never see each other's locks.
// When no folder can hold a lock file, TryLock reports Failed and Problem() says why.
//
// Thread-safety: one NamedMutex object belongs to one thread at a time; on Windows the
// thread that took the lock must be the one that lets it go (the object's destructor
// included). Two objects of the same name exclude each other also within one process and
// one thread, on both systems (a Windows mutex would let its owning thread take it again:
// the objects of this process that hold a lock are kept in a list for that).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace horalux {

// The path of the named object `name` (a lock file stem or a local socket) in `folder`:
// the name with the system's separator ('/'; on Windows '\') and '%' escaped as %2F (%5C)
// and %25, so that no name leaves the folder.
std::string NamedObjectPath(const std::string& folder, std::string_view name);

enum class TLockResult {
  Acquired,       // this object holds the lock now
  HeldElsewhere,  // another object (in this or another process) holds it
  Failed,         // no folder could take the lock file, or it could not be locked (on
                  // Windows: no mutex of that name could be made)
};

class NamedMutex {
 public:
  // Opens, creating it when missing, the named object of `name`: on Linux the lock file
  // (its NamedObjectPath plus ".lock") in the first folder that takes it, on Windows the
  // mutex; does not lock. Never throws for system failures: TryLock then reports Failed and
  // Problem() says why. A lock file is never removed: removing one that another process has
  // open would let two processes hold "the same" lock.
  explicit NamedMutex(std::string_view name);
  // Releases the lock when this object holds it, and closes the file or handle.
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Takes the lock without waiting. Taking it again while held by this object succeeds.
  TLockResult TryLock();
  // Releases the lock; nothing when it is not held.
  void Unlock();

  bool Held() const noexcept { return held_; }
  // The lock file and its folder (on Windows the mutex's full name and its namespace);
  // empty when no folder could take it (no mutex could be made).
  const std::string& Path() const noexcept { return path_; }
  const std::string& Folder() const noexcept { return folder_; }
  // Empty, or one line saying which folders were refused and the system's reasons.
  const std::string& Problem() const noexcept { return problem_; }

 private:
  struct Native;  // the system's handles, kept out of this header

  // Opens the lock file of `name` in `folder`; false, adding the reason to `problems`,
  // when it cannot be opened there.
  bool OpenIn(const std::string& folder, std::string_view name, std::string& problems);

  std::unique_ptr<Native> native_;
  std::string path_;
  std::string folder_;
  std::string problem_;
  bool held_ = false;
};

}  // namespace horalux
