// Line, text, reply and stream operations of TIdTCPConnection, built on the buffered
// reads and plain sends of tcp_connection.cpp.
#include <algorithm>
#include <cctype>
#include <istream>
#include <string_view>

#include "net/tcp_connection.h"
#include "stack/exceptions.h"
#include "stack/messages.h"

namespace horalux {
namespace {

std::string Trim(const std::string& text) {
  const auto notBlank = [](unsigned char c) { return c > ' '; };
  const auto first = std::find_if(text.begin(), text.end(), notBlank);
  const auto last = std::find_if(text.rbegin(), text.rend(), notBlank).base();
  return first < last ? std::string(first, last) : std::string();
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

// The remaining bytes of a stream from its current position.
std::int64_t RemainingBytes(std::istream& stream) {
  const auto here = stream.tellg();
  stream.seekg(0, std::ios::end);
  const auto end = stream.tellg();
  stream.seekg(here);
  return here < 0 || end < here ? 0 : static_cast<std::int64_t>(end - here);
}

}  // namespace

std::string TIdTCPConnection::ReadAvailableText() {
  if (IsConnected()) ReceiveChunk(false, UseDefaultTimeout, true);
  return TakeText(InputByteCount());
}

std::string TIdTCPConnection::ReadAllText() {
  StartWork(WorkRead, 0);
  std::string text;
  try {
    while (IsConnected()) text += ReadAvailableText();
    text += TakeText(InputByteCount());
  } catch (...) {
    FinishWork(WorkRead);
    throw;
  }
  FinishWork(WorkRead);
  return text;
}

std::string TIdTCPConnection::TakeText(std::int32_t count) {
  if (count > InputByteCount()) throw EIdNotEnoughDataInBuffer(Messages().NotEnoughDataInBuffer);
  if (count <= 0) return {};
  std::string text(reinterpret_cast<const char*>(InputBuffer().Memory()),
                   static_cast<std::size_t>(count));
  ConsumeInput(count);
  return text;
}

std::string TIdTCPConnection::ReadLine(const std::string& terminator, std::int32_t timeout) {
  const std::string ending = terminator.empty() ? std::string("\n") : terminator;
  readLineTimedOut_ = false;
  std::size_t searchFrom = 0;
  for (;;) {
    const std::string_view buffered(reinterpret_cast<const char*>(InputBuffer().Memory()),
                                    static_cast<std::size_t>(InputByteCount()));
    const std::size_t at = buffered.find(ending, searchFrom);
    if (at != std::string::npos) {
      std::string line = TakeText(static_cast<std::int32_t>(at + ending.size()));
      line.resize(at);
      if (terminator.empty() && !line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    // Only bytes that could still start the terminator need another look.
    searchFrom = buffered.size() >= ending.size() ? buffered.size() - ending.size() + 1 : 0;
    DetectDisconnect(true, true);
    if (ReceiveChunk(true, timeout, timeout == UseDefaultTimeout) == -1) {
      readLineTimedOut_ = true;
      return {};
    }
  }
}

std::string TIdTCPConnection::ReadNonBlankLine() {
  for (;;) {
    std::string line = Trim(ReadLine());
    if (!line.empty()) return line;
  }
}

void TIdTCPConnection::ReadReplyLines() {
  replyLines_.clear();
  const std::string first = ReadNonBlankLine();
  replyLines_.push_back(first);
  if (first.size() <= 3 || first[3] != '-') return;
  const std::string lastPrefix = first.substr(0, 3) + " ";
  for (;;) {
    const std::string line = ReadLine();
    replyLines_.push_back(line);
    if (line.size() < 4 || StartsWithIgnoringCase(line, lastPrefix)) return;
  }
}

std::string TIdTCPConnection::LastReplyLine() const {
  return replyLines_.empty() ? std::string() : replyLines_.back();
}

std::int32_t TIdTCPConnection::ReadReplyCode(const std::vector<std::int16_t>& allowed) {
  ReadReplyLines();
  const std::string last = LastReplyLine();
  const std::string digits = last.substr(0, 3);
  const bool numeric = digits.size() == 3 && std::all_of(digits.begin(), digits.end(), [](char c) {
                         return c >= '0' && c <= '9';
                       });
  lastReplyCode_ = numeric ? std::stoi(digits) : 0;
  return CheckReplyCode(lastReplyCode_, allowed);
}

std::int32_t TIdTCPConnection::CheckReplyCode(std::int32_t code,
                                              const std::vector<std::int16_t>& allowed) {
  if (!allowed.empty() && std::find(allowed.begin(), allowed.end(), code) == allowed.end()) {
    RaiseReplyError();
  }
  return code;
}

void TIdTCPConnection::RaiseReplyError() {
  throw EIdProtocolReplyError(lastReplyCode_, LastReplyLine());
}

void TIdTCPConnection::RaiseWithLastReply(const TIdExceptionClass& exceptionClass) {
  std::rethrow_exception(exceptionClass(LastReplyLine()));
}

std::int32_t TIdTCPConnection::SendCommandText(const std::string& text,
                                               const std::vector<std::int16_t>& allowed) {
  if (text != std::string(1, '\0')) WriteLine(text);
  return ReadReplyCode(allowed);
}

void TIdTCPConnection::WriteText(const std::string& text) {
  if (!text.empty()) SendRaw(text.data(), static_cast<std::int32_t>(text.size()));
}

void TIdTCPConnection::WriteLine(const std::string& text) { WriteText(text + "\r\n"); }

void TIdTCPConnection::WriteStream(std::istream& stream, bool fromStart, bool withLength) {
  if (fromStart) stream.seekg(0);
  const std::int64_t size = RemainingBytes(stream);
  if (withLength) WriteInt32(static_cast<std::int32_t>(size), true);
  StartWork(WorkWrite, static_cast<std::int32_t>(size));
  try {
    std::string piece(static_cast<std::size_t>(std::max(1, SendBufferSize)), '\0');
    for (std::int64_t left = size; left > 0;) {
      const auto want = static_cast<std::streamsize>(std::min<std::int64_t>(left, piece.size()));
      stream.read(piece.data(), want);
      const std::streamsize got = stream.gcount();
      if (got <= 0) throw EIdNoDataToRead(Messages().NoDataToRead);
      SendRaw(piece.data(), static_cast<std::int32_t>(got));
      left -= got;
    }
  } catch (...) {
    FinishWork(WorkWrite);
    throw;
  }
  FinishWork(WorkWrite);
}

void TIdTCPConnection::WriteDotLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) WriteLine(line == "." ? ".." : line);
  WriteLine(".");
}

}  // namespace horalux
