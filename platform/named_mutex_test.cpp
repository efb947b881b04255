#include "platform/named_mutex.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

extern char** environ;

namespace horalux {
namespace {

namespace fs = std::filesystem;

// Points XDG_RUNTIME_DIR at a fresh folder (or unsets it) for one test.
class ScopedRuntimeDir {
 public:
  ScopedRuntimeDir() {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) previous_ = old;
    char pattern[] = "/tmp/horalux-named-mutex-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  }
  ~ScopedRuntimeDir() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    if (previous_) {
      ::setenv("XDG_RUNTIME_DIR", previous_->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
  }
  ScopedRuntimeDir(const ScopedRuntimeDir&) = delete;
  ScopedRuntimeDir& operator=(const ScopedRuntimeDir&) = delete;

  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
  std::optional<std::string> previous_;
};

std::string UniqueName(const char* stem) {
  return std::string(stem) + "." + std::to_string(::getpid()) + ".OneInstance.Default";
}

TEST(NamedObjectPath, LivesInTheRuntimeFolderWhenItExists) {
  ScopedRuntimeDir runtime;
  EXPECT_EQ(NamedObjectDirectory(), runtime.Folder());
  EXPECT_EQ(NamedObjectPath("Horalux.OneInstance.Default"),
            runtime.Folder() + "/Horalux.OneInstance.Default");
}

TEST(NamedObjectPath, FallsBackToTmpWithTheUserIdWhenTheRuntimeFolderIsUnusable) {
  ScopedRuntimeDir runtime;
  const std::string expected = "/tmp/Horalux.OneInstance.Default." + std::to_string(::getuid());
  for (const char* value : {"", "relative/folder", "/nonexistent/horalux-runtime"}) {
    ::setenv("XDG_RUNTIME_DIR", value, 1);
    EXPECT_EQ(NamedObjectDirectory(), "/tmp") << value;
    EXPECT_EQ(NamedObjectPath("Horalux.OneInstance.Default"), expected) << value;
  }
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(NamedObjectPath("Horalux.OneInstance.Default"), expected);
}

TEST(NamedObjectPath, EscapesSlashesSoThatNoNameLeavesTheFolderOrMeetsAnother) {
  ScopedRuntimeDir runtime;
  EXPECT_EQ(NamedObjectPath("a/../b"), runtime.Folder() + "/a%2F..%2Fb");
  EXPECT_NE(NamedObjectPath("a/b"), NamedObjectPath("a%2Fb"));
}

TEST(NamedMutex, ExcludesASecondHolderUntilTheFirstLetsGo) {
  ScopedRuntimeDir runtime;
  const std::string name = UniqueName("Exclusion");
  auto first = std::make_unique<NamedMutex>(name);
  NamedMutex second(name);
  EXPECT_EQ(first->Path(), runtime.Folder() + "/" + name + ".lock");

  ASSERT_EQ(first->TryLock(), TLockResult::Acquired);
  EXPECT_EQ(first->TryLock(), TLockResult::Acquired);  // again by the holder
  EXPECT_EQ(second.TryLock(), TLockResult::HeldElsewhere);
  EXPECT_FALSE(second.Held());

  first->Unlock();
  EXPECT_EQ(second.TryLock(), TLockResult::Acquired);
  EXPECT_EQ(first->TryLock(), TLockResult::HeldElsewhere);

  second.Unlock();
  ASSERT_EQ(first->TryLock(), TLockResult::Acquired);
  first.reset();  // closing releases
  EXPECT_EQ(second.TryLock(), TLockResult::Acquired);
}

TEST(NamedMutex, DifferentNamesDoNotMeet) {
  ScopedRuntimeDir runtime;
  NamedMutex one(UniqueName("One"));
  NamedMutex other(UniqueName("Other"));
  EXPECT_EQ(one.TryLock(), TLockResult::Acquired);
  EXPECT_EQ(other.TryLock(), TLockResult::Acquired);
}

TEST(NamedMutex, ReportsFailureWhenTheLockFileCannotBeOpened) {
  ScopedRuntimeDir runtime;
  const std::string name = UniqueName("Blocked");
  ASSERT_TRUE(fs::create_directory(runtime.Folder() + "/" + name + ".lock"));
  NamedMutex mutex(name);
  EXPECT_EQ(mutex.TryLock(), TLockResult::Failed);
  EXPECT_NE(mutex.Error(), 0);
}

// A child process takes the lock and waits to be killed.
pid_t ChildHoldingLock(const std::string& name) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ready[0]);
    NamedMutex mutex(name);
    const char state = mutex.TryLock() == TLockResult::Acquired ? 'y' : 'n';
    if (::write(ready[1], &state, 1) != 1) ::_exit(2);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char state = 0;
  const bool locked = pid > 0 && ::read(ready[0], &state, 1) == 1 && state == 'y';
  ::close(ready[0]);
  return locked ? pid : -1;
}

void KillAndReap(pid_t pid) {
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
}

TEST(NamedMutex, ALockOfAKilledProcessIsFreeAtOnce) {
  ScopedRuntimeDir runtime;
  const std::string name = UniqueName("Abandoned");
  const pid_t child = ChildHoldingLock(name);
  ASSERT_GT(child, 0);
  NamedMutex mutex(name);
  EXPECT_EQ(mutex.TryLock(), TLockResult::HeldElsewhere);
  KillAndReap(child);
  EXPECT_EQ(mutex.TryLock(), TLockResult::Acquired);
}

TEST(NamedMutex, AStartedChildProgramDoesNotKeepTheLock) {
  ScopedRuntimeDir runtime;
  const std::string name = UniqueName("Inherited");
  auto holder = std::make_unique<NamedMutex>(name);
  ASSERT_EQ(holder->TryLock(), TLockResult::Acquired);

  pid_t child = 0;
  char program[] = "/bin/sleep";
  char seconds[] = "300";
  char* argv[] = {program, seconds, nullptr};
  ASSERT_EQ(::posix_spawn(&child, program, nullptr, nullptr, argv, environ), 0);

  holder.reset();
  NamedMutex next(name);
  EXPECT_EQ(next.TryLock(), TLockResult::Acquired);
  KillAndReap(child);
}

}  // namespace
}  // namespace horalux
