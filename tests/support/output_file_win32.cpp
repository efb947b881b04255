#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/output_file.h"

namespace horalux::testing {

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
  // Binary: the text mode of the C runtime would turn every line end into CR LF.
  descriptor_ = ::_open(path_.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                        _S_IREAD | _S_IWRITE);
  if (descriptor_ < 0) throw std::runtime_error(path_ + ": " + std::strerror(errno));
}

OutputFile::~OutputFile() { ::_close(descriptor_); }

}  // namespace horalux::testing
