#include "app/log/log_lines.h"

#include <cmath>
#include <utility>

namespace horalux {

std::int64_t RoundHalfEven(double value) {
  const double whole = std::floor(value);
  const double fraction = value - whole;
  double rounded = whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) rounded += 1.0;
  return static_cast<std::int64_t>(rounded);
}

std::int64_t DifferenceSeconds(TDateTime localNow, TDateTime serverTime) {
  return RoundHalfEven((localNow - serverTime) * 86400.0);
}

std::string DifferenceText(std::int64_t seconds) {
  return "difference " + std::string(seconds > 0 ? "+" : "") + std::to_string(seconds) + " sec";
}

std::string SuccessLine(const std::string& time, const std::string& host,
                        std::int64_t differenceSeconds, const std::string& clockNotSetReason) {
  std::string line =
      "-> " + time + "  " + EscapeControls(host) + " * " + DifferenceText(differenceSeconds);
  if (!clockNotSetReason.empty()) line += " * clock not set: " + EscapeControls(clockNotSetReason);
  return line;
}

std::string FailureLine(const std::string& time, const std::string& host) {
  return "-> " + time + "  " + EscapeControls(host) + " *** Connect Error ***";
}

std::string OneLineReason(std::string_view message) {
  std::string joined;
  bool afterBreak = false;
  for (const char c : message) {
    if (c == '\r' || c == '\n') {
      afterBreak = !joined.empty();
      continue;
    }
    if (std::exchange(afterBreak, false)) joined += ' ';
    joined += c;
  }
  return EscapeControls(joined);
}

std::string UnreachableText(const std::string& host, std::string_view message) {
  const std::string reason = OneLineReason(message);
  return host.empty() ? reason : EscapeControls(host) + ": " + reason;
}

std::string IncomingLine(std::string_view time, std::string_view peerAddress) {
  std::string line;
  AppendIncomingLine(line, time, peerAddress);
  return line;
}

void AppendIncomingLine(std::string& out, std::string_view time, std::string_view peerAddress) {
  out += "<- ";
  out += time;
  out += "  Connection from ";
  out += EscapeControls(peerAddress);
}

}  // namespace horalux
