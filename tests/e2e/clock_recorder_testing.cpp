// Preloaded into the real program by the end-to-end tests, in place of the system's clock:
// every request to set the clock is written to the file $HORALUX_CLOCK_RECORD as a line
// "<call> <seconds>.<nanoseconds>" (UTC, since 1970), and refused as the system refuses a
// program without the right. Nothing here ever reaches the clock.
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

void Record(const char* call, long long seconds, long long nanoseconds) {
  const char* path = std::getenv("HORALUX_CLOCK_RECORD");
  if (path == nullptr) return;
  char line[96];
  const int length =
      std::snprintf(line, sizeof line, "%s %lld.%09lld\n", call, seconds, nanoseconds);
  const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (::write(fd, line, static_cast<std::size_t>(length)) < 0) {
    // A lost line shows as a missing request in the test.
  }
  ::close(fd);
}

}  // namespace

extern "C" int clock_settime(clockid_t clock, const timespec* moment) noexcept {
  if (clock == CLOCK_REALTIME) Record("clock_settime", moment->tv_sec, moment->tv_nsec);
  errno = EPERM;
  return -1;
}

extern "C" int settimeofday(const timeval* moment, const struct timezone*) noexcept {
  Record("settimeofday", moment->tv_sec, moment->tv_usec * 1000LL);
  errno = EPERM;
  return -1;
}
