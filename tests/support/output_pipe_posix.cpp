#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/output_pipe.h"

namespace horalux::testing {
namespace {

void Close(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

OutputPipe::OutputPipe(std::size_t capacity) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(std::strerror(errno));
  reader_ = fds[0];
  writer_ = fds[1];
  ::fcntl(writer_, F_SETPIPE_SZ, static_cast<int>(capacity));
}

OutputPipe::~OutputPipe() {
  CloseReader();
  CloseWriter();
}

void OutputPipe::CloseReader() { Close(reader_); }
void OutputPipe::CloseWriter() { Close(writer_); }

std::string OutputPipe::ReadAll() {
  std::string text;
  char chunk[4096];
  for (ssize_t n; (n = ::read(reader_, chunk, sizeof chunk)) > 0;) text.append(chunk, n);
  return text;
}

}  // namespace horalux::testing
