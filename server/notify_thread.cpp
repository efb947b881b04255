#include "server/notify_thread.h"

#include <atomic>
#include <mutex>
#include <utility>

#include "server/main_thread_queue.h"

namespace horalux {
namespace {

std::atomic<TIdNotifyThread*> instance{nullptr};

}  // namespace

TIdNotifyThread* TIdNotifyThread::Instance() noexcept { return instance.load(); }

void TIdNotifyThread::CreateOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::unique_ptr<TIdNotifyThread> thread(new TIdNotifyThread);
    thread->StartDetached();
    instance.store(thread.release());  // lives for the process; see the header
  });
}

void TIdNotifyThread::Queue(std::function<void()> method) {
  NotificationQueue.Add(std::make_unique<TIdNotification>(TIdNotification{std::move(method)}));
  NotificationSignal.SetEvent();
}

void TIdNotifyThread::Execute() {
  while (!EndRequested()) {
    NotificationSignal.WaitFor();
    while (!EndRequested()) {
      std::unique_ptr<TIdNotification> entry = TakeFirst();
      if (!entry) break;
      try {
        RunOnMainThread(entry->Method);
      } catch (...) {
        // Already ran its course on the main thread; it must not stop later entries.
      }
    }
  }
}

std::unique_ptr<TIdNotification> TIdNotifyThread::TakeFirst() {
  auto queue = NotificationQueue.Lock();
  if (queue->empty()) return nullptr;
  std::unique_ptr<TIdNotification> entry = std::move(queue->front());
  queue->erase(queue->begin());
  return entry;
}

}  // namespace horalux
