#include "server/rfc_reply.h"

#include "net/tcp_connection.h"

namespace horalux {

void TIdRFCReply::ResetReply() {
  NumericCode = 0;
  Text.clear();
}

bool TIdRFCReply::HasContent() const noexcept { return NumericCode > 0 || !Text.empty(); }

void TIdRFCReply::FillReply(int code, std::string_view text) {
  NumericCode = code;
  Text = SplitLines(text);
}

void TIdRFCReply::Assign(const TIdRFCReply& source) {
  if (&source == this) return;
  ResetReply();
  NumericCode = source.NumericCode;
  Text = source.Text;
}

std::string TIdRFCReply::RenderReply() const {
  static constexpr std::string_view kEol = "\r\n";
  std::string out;
  if (NumericCode <= 0) {
    for (const std::string& line : Text) out.append(line).append(kEol);
    return out;
  }
  const std::string code = std::to_string(NumericCode);
  if (Text.empty()) return code + std::string(kEol);
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const bool last = i + 1 == Text.size();
    out.append(code).append(last ? " " : "-").append(Text[i]).append(kEol);
  }
  return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

void WriteReply(TIdTCPConnection& connection, const TIdRFCReply& reply) {
  if (reply.HasContent()) connection.WriteText(reply.RenderReply());
}

}  // namespace horalux
