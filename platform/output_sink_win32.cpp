#include <io.h>
#include <windows.h>

#include <cstdint>

#include "platform/output_sink.h"

namespace horalux {
namespace {

// What an anonymous pipe can take without its writer waiting for the reader: Windows gives
// no way to ask, so each write stays below the smallest buffer a pipe is made with.
constexpr std::size_t kPipeChunk = 4096;

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

}  // namespace

TOutputSink::TOutputSink(int fd) : fd_(fd) {
  polled_ = ::GetFileType(HandleOf(fd_)) == FILE_TYPE_PIPE;  // none for a bad handle
  mostAtOnce_ = polled_ ? kPipeChunk : SIZE_MAX;
}

// Windows raises no signal for a pipe whose reader has gone: the write fails.
void TOutputSink::PrepareWriterThread() {}

long TOutputSink::WriteSome(std::string_view data) {
  if (data.size() > mostAtOnce_) data = data.substr(0, mostAtOnce_);
  const HANDLE handle = HandleOf(fd_);
  // A GUI program started without standard error has none: what it writes goes nowhere.
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return -1;
  DWORD written = 0;
  if (!::WriteFile(handle, data.data(), static_cast<DWORD>(data.size()), &written, nullptr)) {
    return -1;
  }
  return written == 0 && !data.empty() ? -1 : static_cast<long>(written);
}

bool TOutputSink::AwaitWritable(std::chrono::milliseconds) { return true; }

}  // namespace horalux
