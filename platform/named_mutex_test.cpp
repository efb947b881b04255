// What named mutexes do on every system. Linux's lock folders are tested in
// named_mutex_posix_test.cpp, Windows's kernel names in named_mutex_win32_test.cpp.
#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include "platform/named_mutex_testing.h"

namespace horalux {
namespace {

using testing::LockHolderProcess;
using testing::ScopedLockPlace;
using testing::UniqueLockName;

TEST(NamedMutex, ExcludesASecondHolderUntilTheFirstLetsGo) {
  const ScopedLockPlace place;
  const std::string name = UniqueLockName("Exclusion");
  auto first = std::make_unique<NamedMutex>(name);
  NamedMutex second(name);
  EXPECT_EQ(first->Folder(), place.Folder());

  ASSERT_EQ(first->TryLock(), TLockResult::Acquired);
  EXPECT_EQ(first->TryLock(), TLockResult::Acquired);  // again by the holder
  EXPECT_EQ(second.TryLock(), TLockResult::HeldElsewhere);
  EXPECT_FALSE(second.Held());

  first->Unlock();
  EXPECT_EQ(second.TryLock(), TLockResult::Acquired);
  EXPECT_EQ(first->TryLock(), TLockResult::HeldElsewhere);

  second.Unlock();
  ASSERT_EQ(first->TryLock(), TLockResult::Acquired);
  first.reset();  // going away releases
  EXPECT_EQ(second.TryLock(), TLockResult::Acquired);
}

TEST(NamedMutex, DifferentNamesDoNotMeet) {
  const ScopedLockPlace place;
  NamedMutex one(UniqueLockName("One"));
  NamedMutex other(UniqueLockName("Other"));
  EXPECT_EQ(one.TryLock(), TLockResult::Acquired);
  EXPECT_EQ(other.TryLock(), TLockResult::Acquired);
}

TEST(NamedMutex, ExcludesAnotherProcessAndIsFreeOnceItsHolderIsKilled) {
  const ScopedLockPlace place;
  const std::string name = UniqueLockName("Abandoned");
  LockHolderProcess holder(name);
  ASSERT_TRUE(holder.Holding());
  NamedMutex mutex(name);
  EXPECT_EQ(mutex.TryLock(), TLockResult::HeldElsewhere);
  holder.Kill();
  EXPECT_EQ(mutex.TryLock(), TLockResult::Acquired);

  LockHolderProcess next(name);  // and held in turn by this process
  EXPECT_FALSE(next.Holding());
}

}  // namespace
}  // namespace horalux
