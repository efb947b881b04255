// Threads of the C runtime (_beginthreadex, so the runtime's per-thread state is set up
// and freed) with the stack reserved at the size asked for. Windows frees a thread's
// stack itself when the thread ends; released threads are only remembered until they
// have ended, so that JoinReleased can wait for them.
#include <process.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

#include "server/native_thread.h"

namespace horalux {
namespace {

static_assert(sizeof(HANDLE) <= sizeof(void*), "a HANDLE must fit the handle's bytes");

HANDLE HandleOf(const unsigned char* bytes) {
  HANDLE thread;
  std::memcpy(&thread, bytes, sizeof thread);
  return thread;
}

// Threads released by their owners that may not have ended yet. Never destroyed: threads
// may be released while static objects are destroyed.
class Released {
 public:
  static Released& Instance() {
    static Released* const released = new Released;
    return *released;
  }

  void Add(HANDLE thread) {
    std::lock_guard lock(mutex_);
    const auto ended = std::remove_if(threads_.begin(), threads_.end(), [](HANDLE entry) {
      if (::WaitForSingleObject(entry, 0) != WAIT_OBJECT_0) return false;
      ::CloseHandle(entry);
      return true;
    });
    threads_.erase(ended, threads_.end());
    threads_.push_back(thread);
  }

  void JoinAll() {
    std::vector<HANDLE> threads;
    {
      std::lock_guard lock(mutex_);
      threads.swap(threads_);
    }
    for (HANDLE thread : threads) {
      ::WaitForSingleObject(thread, INFINITE);
      ::CloseHandle(thread);
    }
  }

 private:
  std::mutex mutex_;
  std::vector<HANDLE> threads_;
};

struct Launch {
  TNativeThread::Body body;
  void* argument;
};

unsigned __stdcall Trampoline(void* raw) {
  const Launch launch = *static_cast<Launch*>(raw);
  delete static_cast<Launch*>(raw);
  launch.body(launch.argument);
  return 0;
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
  auto* launch = new Launch{body, argument};  // the new thread takes it over
  const std::uintptr_t thread =
      ::_beginthreadex(nullptr, static_cast<unsigned>(stackBytes), &Trampoline, launch,
                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == 0) {
    const int error = errno;
    delete launch;
    throw std::system_error(error, std::generic_category(), "cannot create thread");
  }
  const auto handle = reinterpret_cast<HANDLE>(thread);
  std::memcpy(handle_, &handle, sizeof handle);
  stackBytes_ = stackBytes;
  started_ = true;
}

void TNativeThread::Join() {
  const HANDLE thread = HandleOf(handle_);
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  started_ = false;
}

void TNativeThread::Release() {
  Released::Instance().Add(HandleOf(handle_));
  started_ = false;
}

void TNativeThread::Detach() {
  ::CloseHandle(HandleOf(handle_));
  started_ = false;
}

void TNativeThread::JoinReleased() { Released::Instance().JoinAll(); }

bool TNativeThread::IsCurrent() const noexcept {
  return ::GetThreadId(HandleOf(handle_)) == ::GetCurrentThreadId();
}

}  // namespace horalux
