#include "server/thread.h"

#include <utility>

#include "base/main_thread.h"
#include "server/main_thread_queue.h"

namespace horalux {
namespace {

// The count of started threads whose code of ours still runs (see the header).
// Never destroyed: a thread may discharge itself while static objects are destroyed.
class Graveyard {
 public:
  static Graveyard& Instance() {
    static Graveyard* const graveyard = new Graveyard;
    return *graveyard;
  }

  // The count changes with every connection; only the change to zero needs the lock,
  // for a waiter in Await.
  void Enlist() { pending_.fetch_add(1); }

  void Discharge() {
    if (pending_.fetch_sub(1) != 1) return;
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
  }

  bool Await(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return pending_.load() == 0; });
  }

 private:
  Graveyard() = default;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<int> pending_{0};
};

}  // namespace

TThread::~TThread() { JoinHandle(); }

void TThread::Start() { StartThread(true); }

void TThread::StartDetached() {
  StartThread(false);
  std::lock_guard lock(handleLock_);
  if (thread_.Joinable()) thread_.Detach();
}

void TThread::StartThread(bool counted) {
  std::lock_guard lock(handleLock_);
  if (!parked_.load()) return;
  parked_.store(false);
  counted_ = counted;
  if (counted) Graveyard::Instance().Enlist();
  try {
    thread_.Start(&TThread::Run, this, StackBytes);
  } catch (...) {
    if (counted) Graveyard::Instance().Discharge();
    parked_.store(true);
    throw;
  }
}

void TThread::Join() {
  if (IsMainThread()) {
    ServeMainThreadUntil([this] { return BodyEnded(); });
  } else {
    std::unique_lock lock(endLock_);
    ended_.wait(lock, [this] { return BodyEnded(); });
  }
  JoinHandle();
}

void TThread::Run(void* raw) {
  auto* self = static_cast<TThread*>(raw);
  bool counted;
  {
    // Start holds this lock until the system thread's handle is stored.
    std::lock_guard lock(self->handleLock_);
    counted = self->counted_;
    self->threadId_.store(std::this_thread::get_id());
  }
  try {
    self->Execute();
  } catch (...) {
    // Nothing above a thread body could take the error but std::terminate; bodies that
    // want failures reported do so inside their own steps.
  }
  const bool disposing = self->SelfDisposing();
  self->MarkBodyEnded(disposing);
  TNativeThread handle;
  if (disposing) {
    {
      std::lock_guard lock(self->handleLock_);
      handle = std::move(self->thread_);
    }
    delete self;  // self-disposal: no one else holds the object any more
    // Let go with a reason: nobody owns this thread any more (see the header).
    if (handle.Joinable()) handle.Detach();
  }
  // From here on the object may be gone (destroyed above, or by its owner after Join).
  if (counted) Graveyard::Instance().Discharge();
}

// Nobody may wait for a self-disposing thread (Join requires that it is not), so its end
// wakes no one.
void TThread::MarkBodyEnded(bool disposing) {
  if (disposing) {
    bodyEnded_.store(true);
    return;
  }
  {
    std::lock_guard lock(endLock_);
    bodyEnded_.store(true);
  }
  ended_.notify_all();
  WakeMainThreadWaiters();
}

void TThread::JoinHandle() {
  TNativeThread handle;
  {
    std::lock_guard lock(handleLock_);
    if (!thread_.Joinable() || thread_.IsCurrent()) return;
    handle = std::move(thread_);
  }
  handle.Join();
}

bool AwaitThreadsEnded(std::chrono::milliseconds timeout) {
  return Graveyard::Instance().Await(timeout);
}

}  // namespace horalux
