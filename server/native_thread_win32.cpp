// Threads of the C runtime (_beginthreadex, so that the runtime's per-thread state is set
// up and freed) with the stack reserved at the size asked for. Windows frees a thread's
// stack when the thread ends.
#include <windows.h>

#include <process.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "server/native_thread.h"

namespace horalux {
namespace {

static_assert(sizeof(HANDLE) <= sizeof(void*), "a HANDLE must fit the handle's bytes");

HANDLE HandleOf(const unsigned char* bytes) {
  HANDLE thread;
  std::memcpy(&thread, bytes, sizeof thread);
  return thread;
}

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
  started_ = true;
}

void TNativeThread::Join() {
  const HANDLE thread = HandleOf(handle_);
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  started_ = false;
}

void TNativeThread::Detach() {
  ::CloseHandle(HandleOf(handle_));
  started_ = false;
}

bool TNativeThread::IsCurrent() const noexcept {
  return ::GetThreadId(HandleOf(handle_)) == ::GetCurrentThreadId();
}

}  // namespace horalux
