#include "server/thread.h"

#include <utility>
#include <vector>

#include "net/main_thread.h"
#include "server/main_thread_queue.h"

namespace horalux {
namespace {

// The count of started threads and the handles of self-disposed ones (see the header).
// Never destroyed: a thread may bury itself while static objects are destroyed at exit.
class Graveyard {
 public:
  static Graveyard& Instance() {
    static Graveyard* const graveyard = new Graveyard;
    return *graveyard;
  }

  void Enlist() {
    std::lock_guard lock(mutex_);
    ++pending_;
  }

  void Discharge() {
    {
      std::lock_guard lock(mutex_);
      --pending_;
    }
    changed_.notify_all();
  }

  // Called by a thread whose object is gone, with its own handle. Joins the handles
  // buried before: those threads run nothing of ours any more and end at once.
  void Bury(std::thread handle) {
    std::vector<std::thread> earlier;
    {
      std::lock_guard lock(mutex_);
      earlier.swap(buried_);
      buried_.push_back(std::move(handle));
      --pending_;
    }
    changed_.notify_all();
    for (std::thread& thread : earlier) thread.join();
  }

  bool Await(std::chrono::milliseconds timeout) {
    std::vector<std::thread> handles;
    bool none;
    {
      std::unique_lock lock(mutex_);
      none = changed_.wait_for(lock, timeout, [this] { return pending_ == 0; });
      handles.swap(buried_);
    }
    for (std::thread& thread : handles) thread.join();
    return none;
  }

 private:
  Graveyard() = default;

  std::mutex mutex_;
  std::condition_variable changed_;
  int pending_ = 0;
  std::vector<std::thread> buried_;
};

}  // namespace

TThread::~TThread() { JoinHandle(); }

void TThread::Start() { StartThread(true); }

void TThread::StartDetached() {
  StartThread(false);
  std::lock_guard lock(handleLock_);
  if (thread_.joinable()) thread_.detach();
}

void TThread::StartThread(bool counted) {
  std::lock_guard lock(handleLock_);
  if (!parked_.load()) return;
  parked_.store(false);
  counted_ = counted;
  if (counted) Graveyard::Instance().Enlist();
  try {
    thread_ = std::thread(&TThread::Run, this);
  } catch (...) {
    if (counted) Graveyard::Instance().Discharge();
    parked_.store(true);
    throw;
  }
  threadId_.store(thread_.get_id());
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

void TThread::Run(TThread* self) {
  bool counted;
  {
    // Start holds this lock until thread_ and the id are stored.
    std::lock_guard lock(self->handleLock_);
    counted = self->counted_;
  }
  try {
    self->Execute();
  } catch (...) {
    // Nothing above a thread body could take the error but std::terminate; bodies that
    // want failures reported do so inside their own steps.
  }
  const bool disposing = self->SelfDisposing();
  self->MarkBodyEnded();
  std::thread handle;
  if (disposing) {
    {
      std::lock_guard lock(self->handleLock_);
      handle = std::move(self->thread_);
    }
    delete self;  // self-disposal: no one else holds the object any more
  }
  // From here on the object may be gone (destroyed above, or by its owner after Join).
  if (!counted) return;
  if (handle.joinable()) {
    Graveyard::Instance().Bury(std::move(handle));
  } else {
    Graveyard::Instance().Discharge();  // the owner joins the system thread
  }
}

void TThread::MarkBodyEnded() {
  {
    std::lock_guard lock(endLock_);
    bodyEnded_.store(true);
  }
  ended_.notify_all();
  WakeMainThreadWaiters();
}

void TThread::JoinHandle() {
  std::thread handle;
  {
    std::lock_guard lock(handleLock_);
    if (!thread_.joinable() || thread_.get_id() == std::this_thread::get_id()) return;
    handle = std::move(thread_);
  }
  handle.join();
}

bool AwaitThreadsEnded(std::chrono::milliseconds timeout) {
  return Graveyard::Instance().Await(timeout);
}

}  // namespace horalux
