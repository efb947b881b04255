#include "app/log/log_mirror.h"

#include <algorithm>
#include <vector>

#include "app/log/log_lines.h"

namespace horalux {
namespace {

constexpr std::string_view kPrefix = "horalux.log: ";
constexpr std::size_t kLinesAtOnce = 512;
// Lines wait at most this long for more to go with them in one write.
constexpr std::chrono::milliseconds kGather{10};
constexpr std::chrono::milliseconds kPollSlice{100};

// The longest piece of `data` of at most `most` bytes that ends at a line end; a single
// longer line goes out in pieces. Whole lines keep other writers' lines (Qt's messages
// on the same descriptor) from landing inside ours.
std::string_view NextPiece(std::string_view data, std::size_t most) {
  if (data.size() <= most) return data;
  const std::size_t end = data.rfind('\n', most - 1);
  return data.substr(0, end == std::string_view::npos ? most : end + 1);
}

}  // namespace

TLogMirror::TLogMirror(TIncomingLines& lines, TimeText timeText, int fd,
                       std::chrono::milliseconds stallLimit)
    : lines_(lines), timeText_(std::move(timeText)), sink_(fd), stallLimit_(stallLimit) {
  lines_.AttachMirror();
  thread_ = std::thread([this] { Run(); });
}

TLogMirror::~TLogMirror() {
  stopping_ = true;
  lines_.DetachMirror();
  thread_.join();
}

void TLogMirror::Run() {
  TOutputSink::PrepareWriterThread();
  std::string buffer;
  std::vector<std::size_t> ends;  // where each line of the buffer ends
  for (;;) {
    const std::vector<TPendingLine> batch = lines_.TakeForMirror(kLinesAtOnce, kGather);
    if (batch.empty()) return;
    buffer.clear();
    ends.clear();
    for (const TPendingLine& line : batch) {
      Append(buffer, line);
      ends.push_back(buffer.size());
    }
    const std::size_t sent = WriteOut(buffer);
    const auto whole =
        static_cast<std::uint64_t>(std::upper_bound(ends.begin(), ends.end(), sent) - ends.begin());
    written_ += whole;
    failed_ += batch.size() - whole;
  }
}

void TLogMirror::Append(std::string& out, const TPendingLine& line) const {
  out += kPrefix;
  if (line.incoming) {
    AppendIncomingLine(out, timeText_(line.when), line.text);
  } else {
    out += line.text;
  }
  out += '\n';
  if (!line.note.empty()) {
    out += line.note;
    out += '\n';
  }
}

std::size_t TLogMirror::WriteOut(std::string_view data) {
  std::size_t done = 0;
  lastProgress_ = std::chrono::steady_clock::now();
  while (done < data.size() && !(stalled_ && stopping_)) {
    const long written = sink_.WriteSome(NextPiece(data.substr(done), sink_.MostAtOnce()));
    if (written < 0) break;  // these lines are lost
    if (written > 0) {
      done += static_cast<std::size_t>(written);
      Progressed();
    } else {
      sink_.AwaitWritable(kPollSlice);
      NoProgress();
    }
  }
  return done;
}

void TLogMirror::Progressed() {
  lastProgress_ = std::chrono::steady_clock::now();
  if (!stalled_) return;
  stalled_ = false;
  lines_.SetMirrorStalled(false);
}

void TLogMirror::NoProgress() {
  if (stalled_ || std::chrono::steady_clock::now() - lastProgress_ < stallLimit_) return;
  stalled_ = true;
  lines_.SetMirrorStalled(true);
}

}  // namespace horalux
