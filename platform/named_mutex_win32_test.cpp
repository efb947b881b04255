#include <windows.h>

#include <gtest/gtest.h>

#include "platform/named_mutex.h"
#include "platform/named_mutex_testing.h"

namespace horalux {
namespace {

TEST(NamedMutexWin32, LivesInTheSessionNamespaceWhereTheBareNameMeetsIt) {
  const std::string name = testing::UniqueLockName("Horalux");
  NamedMutex mutex(name);
  EXPECT_EQ(mutex.Folder(), "Local");
  EXPECT_EQ(mutex.Path(), "Local\\" + name);

  const HANDLE bare = ::CreateMutexA(nullptr, FALSE, name.c_str());
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ::CloseHandle(bare);
}

TEST(NamedMutexWin32, ABackslashInTheNameIsKeptApartFromItsEscape) {
  const std::string stem = testing::UniqueLockName("Title");
  NamedMutex slashed(stem + "\\x");
  NamedMutex escaped(stem + "%5Cx");
  EXPECT_EQ(slashed.Path(), "Local\\" + stem + "%5Cx");
  EXPECT_EQ(slashed.TryLock(), TLockResult::Acquired);
  EXPECT_EQ(escaped.TryLock(), TLockResult::Acquired);
}

}  // namespace
}  // namespace horalux
