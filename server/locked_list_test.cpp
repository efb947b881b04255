#include "server/locked_list.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace horalux {
namespace {

TEST(LockedList, AddIgnoresListedItemsAndRemoveTakesTheFirstOccurrence) {
  TLockedList<int> list;
  list.Add(1);
  list.Add(2);
  list.Add(1);
  EXPECT_EQ(*list.Lock(), (std::vector<int>{1, 2}));

  list.LockList().push_back(1);  // direct use may list an item twice
  list.UnlockList();
  list.Remove(1);
  EXPECT_EQ(*list.Lock(), (std::vector<int>{2, 1}));
  list.Remove(7);
  EXPECT_EQ(list.Lock()->size(), 2u);
}

TEST(LockedList, ThreadsAddingAndRemovingLeaveAConsistentList) {
  TLockedList<int> list;
  auto churn = [&list](int base) {
    for (int i = 0; i < 500; ++i) {
      list.Add(base + i);
      if (i % 2 == 0) list.Remove(base + i);
    }
  };
  std::thread first(churn, 0);
  std::thread second(churn, 1000);
  first.join();
  second.join();
  EXPECT_EQ(list.Lock()->size(), 500u);
}

}  // namespace
}  // namespace horalux
