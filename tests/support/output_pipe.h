// A pipe that the code under test writes through in place of standard error: its writing
// end is a descriptor on Linux, a C runtime one on Windows, as standard error is. The
// system calls live in output_pipe_posix.cpp and output_pipe_win32.cpp.
#pragma once

#include <cstddef>
#include <string>

namespace horalux::testing {

class OutputPipe {
 public:
  // A pipe that holds about `capacity` bytes that nobody has read (at least 4096).
  // Throws std::runtime_error when the system makes none.
  explicit OutputPipe(std::size_t capacity = 65536);
  ~OutputPipe();  // closes both ends
  OutputPipe(const OutputPipe&) = delete;
  OutputPipe& operator=(const OutputPipe&) = delete;

  int Writer() const noexcept { return writer_; }
  void CloseReader();
  void CloseWriter();
  // Reads until every writer has closed.
  std::string ReadAll();

 private:
  static void Close(int& fd);  // and forgets it
  static long ReadSome(int fd, char* chunk, unsigned size);

  int reader_ = -1;
  int writer_ = -1;
};

}  // namespace horalux::testing
