#include <pthread.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <system_error>
#include <utility>

#include "server/native_thread.h"

namespace horalux {
namespace {

static_assert(sizeof(pthread_t) <= sizeof(void*), "pthread_t must fit the handle's bytes");

pthread_t HandleOf(const unsigned char* bytes) {
  pthread_t thread;
  std::memcpy(&thread, bytes, sizeof thread);
  return thread;
}

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

// Starts the thread; returns the error number (0: started).
int Create(pthread_t& thread, std::size_t stackBytes, Launch* launch) {
  pthread_attr_t attributes;
  if (const int error = pthread_attr_init(&attributes); error != 0) return error;
  int error =
      pthread_attr_setstacksize(&attributes, std::max<std::size_t>(stackBytes, PTHREAD_STACK_MIN));
  if (error == 0) error = pthread_create(&thread, &attributes, &Trampoline, launch);
  pthread_attr_destroy(&attributes);
  return error;
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
  pthread_t thread;
  if (const int error = Create(thread, stackBytes, launch); error != 0) {
    delete launch;
    throw std::system_error(error, std::generic_category(), "cannot create thread");
  }
  std::memcpy(handle_, &thread, sizeof thread);
  started_ = true;
}

void TNativeThread::Join() {
  pthread_join(HandleOf(handle_), nullptr);
  started_ = false;
}

void TNativeThread::Detach() {
  pthread_detach(HandleOf(handle_));
  started_ = false;
}

bool TNativeThread::IsCurrent() const noexcept {
  return pthread_equal(HandleOf(handle_), pthread_self()) != 0;
}

}  // namespace horalux
