// A file that the code under test writes through a descriptor of its own, in place of
// standard error: a descriptor on Linux, a C runtime one on Windows. The system calls live
// in output_file_posix.cpp and output_file_win32.cpp.
#pragma once

#include <string>

namespace horalux::testing {

class OutputFile {
 public:
  // Creates the file, or empties it. Throws std::runtime_error when it cannot be opened.
  explicit OutputFile(std::string path);
  ~OutputFile();  // closes the descriptor
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  int Descriptor() const noexcept { return descriptor_; }
  // What was written so far.
  std::string Text() const;

 private:
  std::string path_;
  int descriptor_ = -1;
};

}  // namespace horalux::testing
