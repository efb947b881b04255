#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

#include "server/native_thread.h"

namespace horalux {
namespace {

static_assert(sizeof(pthread_t) <= sizeof(void*), "pthread_t must fit the handle's bytes");

pthread_t HandleOf(const unsigned char* bytes) {
  pthread_t thread;
  std::memcpy(&thread, bytes, sizeof thread);
  return thread;
}

[[noreturn]] void Fail(int error, const char* what) {
  throw std::system_error(error, std::generic_category(), what);
}

std::size_t PageSize() {
  static const std::size_t size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

// A stack: one mapping, a guard page at its low end, then `usable` bytes.
struct Stack {
  void* mapping = nullptr;
  std::size_t usable = 0;

  void* Base() const { return static_cast<char*>(mapping) + PageSize(); }
  void Unmap() const { ::munmap(mapping, usable + PageSize()); }
};

// Stacks for reuse, and those of threads still finishing on theirs. Never destroyed:
// threads may finish while static objects are destroyed.
class StackPool {
 public:
  static constexpr std::size_t kKept = 64;

  static StackPool& Instance() {
    static StackPool* const pool = new StackPool;
    return *pool;
  }

  // Throws std::system_error when no memory can be mapped.
  Stack Take(std::size_t usable) {
    const std::size_t page = PageSize();
    usable = (usable + page - 1) / page * page;
    {
      std::lock_guard lock(mutex_);
      ReapFinished();
      const auto found = std::find_if(free_.begin(), free_.end(),
                                      [usable](const Stack& s) { return s.usable == usable; });
      if (found != free_.end()) {
        const Stack stack = *found;
        free_.erase(found);
        return stack;
      }
    }
    return Map(usable);
  }

  // A stack no thread runs on any more.
  void Give(Stack stack) {
    std::lock_guard lock(mutex_);
    Keep(stack);
  }

  // The stack of a thread that is finishing: kept once the thread has ended.
  void GiveAfterExit(pthread_t thread, Stack stack) {
    std::lock_guard lock(mutex_);
    finishing_.emplace_back(thread, stack);
  }

  // Joins every finishing thread, waiting for those that have not ended yet.
  void JoinFinishing() {
    std::vector<std::pair<pthread_t, Stack>> finishing;
    {
      std::lock_guard lock(mutex_);
      finishing.swap(finishing_);
    }
    for (const auto& entry : finishing) pthread_join(entry.first, nullptr);
    std::lock_guard lock(mutex_);
    for (const auto& entry : finishing) Keep(entry.second);
  }

 private:
  StackPool() = default;

  // Requires: `usable` is a whole number of pages.
  static Stack Map(std::size_t usable) {
    const std::size_t page = PageSize();
    void* mapping = ::mmap(nullptr, usable + page, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (mapping == MAP_FAILED) Fail(errno, "cannot map a thread stack");
    const Stack stack{mapping, usable};
    if (::mprotect(mapping, page, PROT_NONE) != 0) {
      const int error = errno;
      stack.Unmap();
      Fail(error, "cannot guard a thread stack");
    }
    return stack;
  }

  // Requires mutex_. A finished thread is joined without waiting (a GNU extension that
  // joins only a thread that has ended); its stack is free then.
  void ReapFinished() {
    auto last = finishing_.begin();
    for (auto& entry : finishing_) {
      if (pthread_tryjoin_np(entry.first, nullptr) == 0) {
        Keep(entry.second);
      } else {
        *last++ = entry;
      }
    }
    finishing_.erase(last, finishing_.end());
  }

  // Requires mutex_.
  void Keep(Stack stack) {
    if (free_.size() < kKept) {
      free_.push_back(stack);
    } else {
      stack.Unmap();
    }
  }

  std::mutex mutex_;
  std::vector<Stack> free_;
  std::vector<std::pair<pthread_t, Stack>> finishing_;
};

struct Launch {
  TNativeThread::Body body;
  void* argument;
};

void* Trampoline(void* raw) {
  const Launch launch = *static_cast<Launch*>(raw);
  delete static_cast<Launch*>(raw);
  launch.body(launch.argument);
  return nullptr;
}

// Starts the thread on the given stack; returns the error number (0: started).
int Create(pthread_t& thread, const Stack& stack, Launch* launch) {
  pthread_attr_t attributes;
  if (const int error = pthread_attr_init(&attributes); error != 0) return error;
  int error = pthread_attr_setstack(&attributes, stack.Base(), stack.usable);
  if (error == 0) error = pthread_create(&thread, &attributes, &Trampoline, launch);
  pthread_attr_destroy(&attributes);
  return error;
}

}  // namespace

TNativeThread::~TNativeThread() = default;

TNativeThread::TNativeThread(TNativeThread&& other) noexcept { *this = std::move(other); }

TNativeThread& TNativeThread::operator=(TNativeThread&& other) noexcept {
  std::memcpy(handle_, other.handle_, sizeof handle_);
  stack_ = other.stack_;
  stackBytes_ = other.stackBytes_;
  started_ = std::exchange(other.started_, false);
  return *this;
}

void TNativeThread::Start(Body body, void* argument, std::size_t stackBytes) {
  const std::size_t usable = std::max<std::size_t>(stackBytes, PTHREAD_STACK_MIN);
  StackPool& pool = StackPool::Instance();
  const Stack stack = pool.Take(usable);
  auto* launch = new Launch{body, argument};  // the new thread takes it over
  pthread_t thread;
  if (const int error = Create(thread, stack, launch); error != 0) {
    delete launch;
    pool.Give(stack);
    Fail(error, "cannot create thread");
  }
  std::memcpy(handle_, &thread, sizeof thread);
  stack_ = stack.mapping;
  stackBytes_ = stack.usable;
  started_ = true;
}

void TNativeThread::Join() {
  pthread_join(HandleOf(handle_), nullptr);
  StackPool::Instance().Give(Stack{stack_, stackBytes_});
  started_ = false;
}

void TNativeThread::Release() {
  StackPool::Instance().GiveAfterExit(HandleOf(handle_), Stack{stack_, stackBytes_});
  started_ = false;
}

void TNativeThread::Detach() {
  pthread_detach(HandleOf(handle_));
  started_ = false;
}

void TNativeThread::JoinReleased() { StackPool::Instance().JoinFinishing(); }

bool TNativeThread::IsCurrent() const noexcept {
  return pthread_equal(HandleOf(handle_), pthread_self()) != 0;
}

}  // namespace horalux
