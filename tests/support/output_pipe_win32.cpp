#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/output_pipe.h"

namespace horalux::testing {

OutputPipe::OutputPipe(std::size_t capacity) {
  int fds[2];
  // Binary: the text mode of the C runtime would turn every line end into CR LF.
  if (::_pipe(fds, static_cast<unsigned>(capacity), _O_BINARY | _O_NOINHERIT) != 0) {
    throw std::runtime_error(std::strerror(errno));
  }
  reader_ = fds[0];
  writer_ = fds[1];
}

void OutputPipe::Close(int& fd) {
  if (fd >= 0) ::_close(fd);
  fd = -1;
}

long OutputPipe::ReadSome(int fd, char* chunk, unsigned size) { return ::_read(fd, chunk, size); }

}  // namespace horalux::testing
