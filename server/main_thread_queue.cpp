#include "server/main_thread_queue.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

#include "base/main_thread.h"

namespace horalux {
namespace {

// What a blocked RunOnMainThread caller waits for; lives on that caller's stack.
struct Waiter {
  bool done = false;
  std::exception_ptr error;
};

struct Entry {
  std::function<void()> method;
  Waiter* waiter = nullptr;  // null for posted work
};

struct Queue {
  std::mutex mutex;
  std::condition_variable workArrived;  // entries queued, or a waiter's condition changed
  std::condition_variable entryDone;    // a blocked caller's entry has run
  std::deque<Entry> entries;
  std::function<void()> wake;
};

// Never destroyed: server threads may still queue work while static objects are being
// destroyed at exit, and a destroyed mutex there would be worse than memory the system
// takes back anyway.
Queue& TheQueue() {
  static Queue* const queue = new Queue;
  return *queue;
}

void Enqueue(Entry entry) {
  Queue& queue = TheQueue();
  std::function<void()> wake;
  {
    std::lock_guard lock(queue.mutex);
    queue.entries.push_back(std::move(entry));
    wake = queue.wake;
  }
  queue.workArrived.notify_all();
  if (wake) wake();
}

// Requires: the queue's lock is held by `lock`.
std::optional<Entry> TakeFirst(Queue& queue) {
  if (queue.entries.empty()) return std::nullopt;
  Entry entry = std::move(queue.entries.front());
  queue.entries.pop_front();
  return entry;
}

// Runs one entry without the queue's lock. A blocked caller gets its outcome back; a
// posted method's exception goes on to the drainer.
void Run(Queue& queue, Entry& entry) {
  if (entry.waiter == nullptr) {
    entry.method();
    return;
  }
  std::exception_ptr error;
  try {
    entry.method();
  } catch (...) {
    error = std::current_exception();
  }
  {
    std::lock_guard lock(queue.mutex);
    entry.waiter->error = std::move(error);  // the caller alone frees the exception
    entry.waiter->done = true;
  }
  queue.entryDone.notify_all();
}

}  // namespace

void RunOnMainThread(const std::function<void()>& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  Waiter waiter;
  Enqueue({method, &waiter});
  Queue& queue = TheQueue();
  {
    std::unique_lock lock(queue.mutex);
    queue.entryDone.wait(lock, [&waiter] { return waiter.done; });
  }
  if (waiter.error) std::rethrow_exception(waiter.error);
}

void PostToMainThread(std::function<void()> method) { Enqueue({std::move(method), nullptr}); }

void InstallMainThreadWakeup(std::function<void()> wake) {
  Queue& queue = TheQueue();
  std::lock_guard lock(queue.mutex);
  queue.wake = std::move(wake);
}

void DrainMainThreadQueue() {
  if (!IsMainThread()) return;
  Queue& queue = TheQueue();
  for (;;) {
    std::optional<Entry> entry;
    {
      std::lock_guard lock(queue.mutex);
      entry = TakeFirst(queue);
    }
    if (!entry) return;
    try {
      Run(queue, *entry);
    } catch (...) {
      // The loop comes back for what is left; this failure is the loop's to report.
      std::function<void()> wake;
      {
        std::lock_guard lock(queue.mutex);
        if (!queue.entries.empty()) wake = queue.wake;
      }
      if (wake) wake();
      throw;
    }
  }
}

bool ServeMainThreadUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const bool onMain = IsMainThread();
  const bool limited = timeout != WaitForeverMs;
  const auto deadline = std::chrono::steady_clock::now() + (limited ? timeout : timeout.zero());
  Queue& queue = TheQueue();
  std::exception_ptr firstError;
  std::unique_lock lock(queue.mutex);
  for (;;) {
    while (onMain && !queue.entries.empty()) {
      Entry entry = *TakeFirst(queue);
      lock.unlock();
      try {
        Run(queue, entry);
      } catch (...) {
        if (!firstError) firstError = std::current_exception();
      }
      lock.lock();
    }
    if (done()) break;
    auto ready = [&] { return (onMain && !queue.entries.empty()) || done(); };
    if (!limited) {
      queue.workArrived.wait(lock, ready);
    } else if (!queue.workArrived.wait_until(lock, deadline, ready)) {
      break;
    }
  }
  const bool result = done();
  lock.unlock();
  if (firstError) std::rethrow_exception(firstError);
  return result;
}

void WakeMainThreadWaiters() {
  Queue& queue = TheQueue();
  {
    // Taking the lock orders this wake-up after a waiter's look at its condition.
    std::lock_guard lock(queue.mutex);
  }
  queue.workArrived.notify_all();
}

}  // namespace horalux
