#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>

#include "platform/output_sink.h"

namespace horalux {
namespace {

// 1: writable, 0: not within the limit, also when interrupted.
int Poll(int fd, int limitMs) {
  pollfd entry{fd, POLLOUT, 0};
  const int ready = ::poll(&entry, 1, limitMs);
  return ready < 0 && errno != EINTR ? 1 : (ready > 0 ? 1 : 0);
}

}  // namespace

TOutputSink::TOutputSink(int fd) : fd_(fd) {
  struct stat status {};
  if (::fstat(fd_, &status) == 0) {
    socket_ = S_ISSOCK(status.st_mode);
    polled_ = S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode);
  }
  mostAtOnce_ = polled_ ? PIPE_BUF : SIZE_MAX;
}

// A SIGPIPE raised by this thread's write is directed at this thread: blocked here, it
// stays pending and the write reports EPIPE.
void TOutputSink::PrepareWriterThread() {
  sigset_t brokenPipe;
  sigemptyset(&brokenPipe);
  sigaddset(&brokenPipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &brokenPipe, nullptr);
}

long TOutputSink::WriteSome(std::string_view data) {
  if (data.size() > mostAtOnce_) data = data.substr(0, mostAtOnce_);
  if (polled_ && Poll(fd_, 0) == 0) return 0;
  const ssize_t written = socket_
                              ? ::send(fd_, data.data(), data.size(), MSG_DONTWAIT | MSG_NOSIGNAL)
                              : ::write(fd_, data.data(), data.size());
  if (written >= 0) return written == 0 && !data.empty() ? -1 : static_cast<long>(written);
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

bool TOutputSink::AwaitWritable(std::chrono::milliseconds limit) {
  if (!polled_ && !socket_) return true;
  return Poll(fd_, static_cast<int>(limit.count())) == 1;
}

}  // namespace horalux
