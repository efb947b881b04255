#include "app/host_list.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace horalux {
namespace {

constexpr char kCtrlZ = '\x1a';
constexpr std::size_t kChunkSize = std::size_t{64} << 10;

// Splits text that arrives in chunks; a CR LF may be cut between two chunks.
class LineSplitter {
 public:
  // False once a Ctrl-Z ends the text.
  bool Feed(std::string_view chunk) {
    std::size_t i = 0;
    if (skipLf_ && !chunk.empty()) {
      skipLf_ = false;
      if (chunk.front() == '\n') i = 1;
    }
    while (i < chunk.size()) {
      const std::size_t stop = chunk.find_first_of("\r\x1a", i);
      const std::string_view text = chunk.substr(i, stop - i);
      current_ += text;
      inLine_ = inLine_ || !text.empty();
      if (stop == std::string_view::npos) return true;
      if (chunk[stop] == kCtrlZ) return false;
      EndLine();
      i = stop + 1;
      if (i == chunk.size()) {
        skipLf_ = true;
      } else if (chunk[i] == '\n') {
        ++i;
      }
    }
    return true;
  }

  // A line cut short by the end of the text or by Ctrl-Z counts; nothing after a line end.
  std::vector<std::string> Finish() {
    if (inLine_) EndLine();
    return std::move(lines_);
  }

 private:
  void EndLine() {
    lines_.push_back(std::move(current_));
    current_.clear();
    inLine_ = false;
  }

  std::vector<std::string> lines_;
  std::string current_;
  bool inLine_ = false;
  bool skipLf_ = false;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

[[noreturn]] void Raise(const char* what, const std::string& path, int error) {
  throw EInOutError(error, std::string(what) + " \"" + path + "\": " + std::strerror(error));
}

}  // namespace

std::vector<std::string> ReadHostList(const std::string& path) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) Raise("Cannot open", path, errno);
  std::vector<char> buffer(kChunkSize);
  LineSplitter splitter;
  for (;;) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (got == 0) {
      if (std::ferror(file.get())) Raise("Cannot read", path, errno);
      break;
    }
    if (!splitter.Feed(std::string_view(buffer.data(), got))) break;
  }
  return splitter.Finish();
}

}  // namespace horalux
