// TIdNotifyThread: the one process-wide thread that carries queued notifications to the
// main thread. The first worker construction starts it (once per process, guarded), and
// it runs, blocked on its signal while the queue is empty, for the rest of the process.
//
// It is deliberately never destroyed and its system thread is detached: it has no owner
// who could end it, ending it at exit would need a static destructor that runs while
// other threads may still use the queue, and it holds nothing the system does not take
// back when the process ends. It is the one thread that may outlive `main`; it runs no
// code of ours then, being blocked on its signal. For the same reason it is not a
// self-disposing thread and AwaitThreadsEnded does not wait for it.
//
// Thread-safety: Instance, CreateOnce and Queue may be called from any thread. Queue's
// lock is held only to add or take an entry, never while an entry waits for the main
// thread: the server holds that lock while it shuts its peers down on the main thread.
#pragma once

#include <functional>
#include <memory>

#include "server/auto_reset_event.h"
#include "server/locked_list.h"
#include "server/thread.h"

namespace horalux {

// One queued notification: a method to run on the main thread.
struct TIdNotification {
  std::function<void()> Method;
};

class TIdNotifyThread final : public TThread {
 public:
  // The thread, or null before the first worker was constructed.
  static TIdNotifyThread* Instance() noexcept;

  // Creates and starts the thread unless it exists. Throws std::system_error when the
  // system cannot create a thread; a later call tries again.
  static void CreateOnce();

  // Appends a notification and wakes the thread, which runs it with RunOnMainThread.
  // An exception the method raises is dropped after it ran its course on the main thread,
  // so that the notifications queued after it still run.
  void Queue(std::function<void()> method);

  TLockedList<std::unique_ptr<TIdNotification>> NotificationQueue;
  TAutoResetEvent NotificationSignal;

 private:
  TIdNotifyThread() = default;
  void Execute() override;
  std::unique_ptr<TIdNotification> TakeFirst();
};

}  // namespace horalux
