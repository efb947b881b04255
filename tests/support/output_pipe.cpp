#include "tests/support/output_pipe.h"

namespace horalux::testing {

OutputPipe::~OutputPipe() {
  CloseReader();
  CloseWriter();
}

void OutputPipe::CloseReader() { Close(reader_); }
void OutputPipe::CloseWriter() { Close(writer_); }

std::string OutputPipe::ReadAll() {
  std::string text;
  char chunk[4096];
  for (long n; (n = ReadSome(reader_, chunk, sizeof chunk)) > 0;) text.append(chunk, n);
  return text;
}

}  // namespace horalux::testing
