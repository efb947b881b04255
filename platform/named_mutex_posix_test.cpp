#include "platform/named_mutex.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/foreign_user_testing.h"
#include "platform/named_mutex_testing.h"
#include "platform/scoped_temp_dir.h"

extern char** environ;

namespace horalux {
namespace {

using namespace horalux::testing;

TEST(NamedMutex, LivesInAPrivateRuntimeFolderUnderItsEscapedName) {
  const ScopedLockPlace runtime;
  const NamedMutex mutex("Horalux.OneInstance.Default");
  EXPECT_EQ(mutex.Folder(), runtime.Folder());
  EXPECT_EQ(mutex.Path(), runtime.Folder() + "/Horalux.OneInstance.Default.lock");
  EXPECT_EQ(NamedObjectPath("/f", "a/../b"), "/f/a%2F..%2Fb");
  EXPECT_NE(NamedObjectPath("/f", "a/b"), NamedObjectPath("/f", "a%2Fb"));
}

TEST(NamedMutex, AStartedChildProgramDoesNotKeepTheLock) {
  const ScopedLockPlace runtime;
  const std::string name = UniqueLockName("Inherited");
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
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
}

// Another account plants things where this user's locks could go; the checks run in child
// processes as an unprivileged user of the test's own (see foreign_user_testing.h).
class NamedMutexAmongUsers : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as other users";
    ::chmod(scratch.Path().c_str(), 0755);
    for (const std::string& name : tmpNames) RemovePlanted(name);
  }
  void TearDown() override {
    for (const std::string& name : tmpNames) RemovePlanted(name);
  }

  // A folder in the scratch folder owned by the test user.
  std::string UsersFolder(const std::string& name, mode_t mode = 0700) {
    PlantFolder(scratch.File(name), user, mode);
    return scratch.File(name);
  }

  // As the test user: the folder the lock went to and how taking it went.
  std::string Check(const std::string& runtimeDir, const std::string& home = "") {
    return RunAsUser(user, runtimeDir, home, [] {
      NamedMutex mutex(kName);
      switch (mutex.TryLock()) {
        case TLockResult::Acquired:
          return mutex.Folder() + " acquired";
        case TLockResult::HeldElsewhere:
          return mutex.Folder() + " held elsewhere";
        case TLockResult::Failed:
          break;
      }
      return "failed: " + mutex.Problem();
    });
  }

  // True when `path` is a folder of the test user with mode 0700.
  bool UsersPrivateFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == user &&
           (info.st_mode & 07777) == 0700;
  }

  static constexpr char kName[] = "Horalux.OneInstance.Default";
  const uid_t user = TestUser();
  const std::vector<std::string> tmpNames = PrivateTmpNames(user);
  ScopedTempDir scratch;
};

TEST_F(NamedMutexAmongUsers, AnUnusableRuntimeFolderLeadsToAPrivateFolderOfTheUser) {
  const std::string good = UsersFolder("good");
  PlantFile(scratch.File("file"), user);
  PlantSymlink(scratch.File("link"), good, user);
  PlantFolder(scratch.File("others"), kOtherUser, 0700);
  const std::string unusable[] = {"",
                                  "relative/runtime",
                                  scratch.File("missing"),
                                  scratch.File("file"),
                                  scratch.File("link"),
                                  scratch.File("others"),
                                  UsersFolder("open", 0755),
                                  UsersFolder("read-only", 0500)};
  for (const std::string& runtime : unusable) {
    EXPECT_EQ(Check(runtime), tmpNames[0] + " acquired") << "XDG_RUNTIME_DIR=" << runtime;
  }
  EXPECT_TRUE(UsersPrivateFolder(tmpNames[0]));
  EXPECT_EQ(Check(good), good + " acquired");
}

TEST_F(NamedMutexAmongUsers, WhatAnotherUserPlantsAtThePrivateNamesIsPassedOver) {
  PlantFolder(tmpNames[0], kOtherUser, 0777);
  PlantSymlink(tmpNames[1], UsersFolder("mine"), kOtherUser);
  const int socket = PlantListeningSocket(tmpNames[2], kOtherUser);
  PlantFile(tmpNames[3], kOtherUser);
  const std::string home = UsersFolder("home");
  const std::string chosen = Check("", home);
  ASSERT_EQ(chosen.rfind(home + "/.cache/horalux-", 0), 0u) << chosen;
  const std::string folder = chosen.substr(0, chosen.find(' '));
  EXPECT_TRUE(UsersPrivateFolder(folder));

  // Once the first instance runs there, removing a plant sends no one elsewhere.
  LockHolderProcess holder(kName, [&] {
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("XDG_RUNTIME_DIR");
    return BecomeUser(user);
  });
  ASSERT_TRUE(holder.Holding());
  RemovePlanted(tmpNames[0]);
  RemovePlanted(tmpNames[3]);
  EXPECT_EQ(Check("", home), folder + " held elsewhere");
  holder.Kill();
  ::close(socket);
}

TEST_F(NamedMutexAmongUsers, WithoutAnyPrivatePlaceTheLockFailsAndSaysWhy) {
  for (const std::string& name : tmpNames) PlantFolder(name, kOtherUser, 0700);
  const std::string result = Check("");
  EXPECT_EQ(result.rfind("failed: ", 0), 0u) << result;
  EXPECT_NE(result.find(tmpNames[0] + ": owned by another user"), std::string::npos) << result;
}

}  // namespace
}  // namespace horalux
