#include "app/host_list.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace horalux {
namespace {

constexpr char kCtrlZ = '\x1a';
constexpr std::size_t kChunkSize = std::size_t{64} << 10;

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

[[noreturn]] void Raise(const char* what, const std::string& path, int error) {
  throw EInOutError(error, std::string(what) + " \"" + path + "\": " + std::strerror(error));
}

}  // namespace

bool THostListSplitter::Feed(std::string_view piece) {
  std::size_t i = 0;
  if (skipLf_ && !piece.empty()) {
    skipLf_ = false;
    if (piece.front() == '\n') i = 1;
  }
  while (i < piece.size()) {
    const std::size_t stop = piece.find_first_of("\r\x1a", i);
    const std::string_view text = piece.substr(i, stop - i);
    current_ += text;
    inLine_ = inLine_ || !text.empty();
    if (stop == std::string_view::npos) return true;
    if (piece[stop] == kCtrlZ) return false;
    EndLine();
    i = stop + 1;
    if (i == piece.size()) {
      skipLf_ = true;
    } else if (piece[i] == '\n') {
      ++i;
    }
  }
  return true;
}

std::vector<std::string> THostListSplitter::Finish() {
  if (inLine_) EndLine();
  return std::move(lines_);
}

void THostListSplitter::EndLine() {
  lines_.push_back(std::move(current_));
  current_.clear();
  inLine_ = false;
}

std::vector<std::string> SplitHostList(std::string_view text) {
  THostListSplitter splitter;
  splitter.Feed(text);
  return splitter.Finish();
}

std::vector<std::string> ReadHostList(const std::string& path) {
  const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) Raise("Cannot open", path, errno);
  std::vector<char> buffer(kChunkSize);
  THostListSplitter splitter;
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
