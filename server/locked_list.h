// An ordered list of items with its own lock, shared between threads: the thread
// manager's live threads, the notification queue, the server's listeners.
//
// Thread-safety: every member may be called from any thread. The lock is not recursive:
// a thread that holds it (LockList or Locked) must not call Add, Remove or LockList again.
// Items are held, not interpreted: a list of pointers does not own what they point to.
#pragma once

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace horalux {

template <class T>
class TLockedList {
 public:
  // The list while its lock is held; unlocks when it goes out of scope.
  class Locked {
   public:
    explicit Locked(TLockedList& list) : list_(list), items_(list.LockList()) {}
    ~Locked() { list_.UnlockList(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    std::vector<T>& operator*() const noexcept { return items_; }
    std::vector<T>* operator->() const noexcept { return &items_; }

   private:
    TLockedList& list_;
    std::vector<T>& items_;
  };

  TLockedList() = default;
  TLockedList(const TLockedList&) = delete;
  TLockedList& operator=(const TLockedList&) = delete;

  // Takes the lock and returns the list for direct use until UnlockList.
  std::vector<T>& LockList() {
    mutex_.lock();
    return items_;
  }
  // Requires: the calling thread holds the lock from LockList.
  void UnlockList() { mutex_.unlock(); }

  // Scoped form of LockList/UnlockList.
  Locked Lock() { return Locked(*this); }

  // Appends the item unless an equal one is listed already.
  void Add(T item) {
    std::lock_guard lock(mutex_);
    if (std::find(items_.begin(), items_.end(), item) != items_.end()) return;
    items_.push_back(std::move(item));
  }

  // Removes the first item equal to `item`; nothing when none is listed.
  void Remove(const T& item) {
    std::lock_guard lock(mutex_);
    auto found = std::find(items_.begin(), items_.end(), item);
    if (found != items_.end()) items_.erase(found);
  }

 private:
  std::mutex mutex_;
  std::vector<T> items_;
};

}  // namespace horalux
