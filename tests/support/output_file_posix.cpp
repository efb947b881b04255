#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/output_file.h"

namespace horalux::testing {

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
  // Not inherited: a child that kept it open would hold the file after the test.
  descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (descriptor_ < 0) throw std::runtime_error(path_ + ": " + std::strerror(errno));
}

OutputFile::~OutputFile() { ::close(descriptor_); }

}  // namespace horalux::testing
