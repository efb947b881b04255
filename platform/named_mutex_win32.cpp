#include <windows.h>

#include <mutex>
#include <set>

#include "platform/named_mutex.h"
#include "platform/system_message_win32.h"

namespace horalux {
namespace {

constexpr char kNamespace[] = "Local";

// The full names of the mutexes that objects of this process hold. A Windows mutex lets the
// thread that owns it take it again, so without this list a second object of the same name
// on that thread would "acquire" a lock its first object holds.
class HeldInThisProcess {
 public:
  // Runs `take` under the list's lock unless `name` is held here already; adds `name` when
  // `take` returns Acquired.
  template <class Take>
  TLockResult TakeUnlessHeld(const std::string& name, Take take) {
    const std::lock_guard lock(mutex_);
    if (names_.count(name) != 0) return TLockResult::HeldElsewhere;
    const TLockResult result = take();
    if (result == TLockResult::Acquired) names_.insert(name);
    return result;
  }
  void Remove(const std::string& name) {
    const std::lock_guard lock(mutex_);
    names_.erase(name);
  }

 private:
  std::mutex mutex_;
  std::set<std::string> names_;
};

// Every NamedMutex of the process is gone before main returns (the guard's is owned by the
// window), so the list is never used after its destruction.
HeldInThisProcess& LocksOfThisProcess() {
  static HeldInThisProcess held;
  return held;
}

}  // namespace

struct NamedMutex::Native {
  ~Native() {
    if (mutex != nullptr) ::CloseHandle(mutex);
  }
  HANDLE mutex = nullptr;
};

std::string NamedObjectPath(const std::string& folder, std::string_view name) {
  std::string path = folder + "\\";
  for (const char c : name) {
    if (c == '\\') {
      path += "%5C";
    } else if (c == '%') {
      path += "%25";
    } else {
      path += c;
    }
  }
  return path;
}

NamedMutex::NamedMutex(std::string_view name) : native_(std::make_unique<Native>()) {
  const std::string path = NamedObjectPath(kNamespace, name);
  native_->mutex = ::CreateMutexA(nullptr, FALSE, path.c_str());
  if (native_->mutex == nullptr) {
    problem_ = "cannot make the mutex " + path + ": " + SystemMessageText(::GetLastError());
    return;
  }
  path_ = path;
  folder_ = kNamespace;
}

NamedMutex::~NamedMutex() { Unlock(); }

TLockResult NamedMutex::TryLock() {
  if (native_->mutex == nullptr) return TLockResult::Failed;
  if (held_) return TLockResult::Acquired;
  const TLockResult result = LocksOfThisProcess().TakeUnlessHeld(path_, [this] {
    switch (::WaitForSingleObject(native_->mutex, 0)) {
      case WAIT_OBJECT_0:
      case WAIT_ABANDONED:  // its holder ended without letting go: ours now
        return TLockResult::Acquired;
      case WAIT_TIMEOUT:
        return TLockResult::HeldElsewhere;
      default:
        problem_ = "cannot take the mutex " + path_ + ": " + SystemMessageText(::GetLastError());
        return TLockResult::Failed;
    }
  });
  held_ = result == TLockResult::Acquired;
  return result;
}

void NamedMutex::Unlock() {
  if (!held_) return;
  ::ReleaseMutex(native_->mutex);
  LocksOfThisProcess().Remove(path_);
  held_ = false;
}

}  // namespace horalux
