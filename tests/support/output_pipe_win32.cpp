#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/output_pipe.h"

namespace horalux::testing {
namespace {

void Close(int& fd) {
  if (fd >= 0) ::_close(fd);
  fd = -1;
}

}  // namespace

OutputPipe::OutputPipe(std::size_t capacity) {
  int fds[2];
  // Binary: the text mode of the C runtime would turn every line end into CR LF.
  if (::_pipe(fds, static_cast<unsigned>(capacity), _O_BINARY | _O_NOINHERIT) != 0) {
    throw std::runtime_error(std::strerror(errno));
  }
  reader_ = fds[0];
  writer_ = fds[1];
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
  for (int n; (n = ::_read(reader_, chunk, sizeof chunk)) > 0;) text.append(chunk, n);
  return text;
}

}  // namespace horalux::testing
