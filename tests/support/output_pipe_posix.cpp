#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/output_pipe.h"

namespace horalux::testing {

OutputPipe::OutputPipe(std::size_t capacity) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(std::strerror(errno));
  reader_ = fds[0];
  writer_ = fds[1];
  ::fcntl(writer_, F_SETPIPE_SZ, static_cast<int>(capacity));
}

void OutputPipe::Close(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

long OutputPipe::ReadSome(int fd, char* chunk, unsigned size) { return ::read(fd, chunk, size); }

}  // namespace horalux::testing
