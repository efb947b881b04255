// TIdRFCReply: the numbered text reply of line-based Internet protocols, a numeric code
// and some lines, written in one piece ("220-first", "220 last"). A code of 0 or below
// means the reply has no code. A value type: copying assigns code and lines.
// Not thread-safe; replies are configuration, set before the server runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace horalux {

class TIdTCPConnection;

class TIdRFCReply {
 public:
  int NumericCode = 0;
  std::vector<std::string> Text;

  void ResetReply();
  // A code above 0 or at least one line.
  bool HasContent() const noexcept;
  // Sets the code and the lines of `text`, split at CR LF, LF or CR; a line break at the
  // end adds no empty line and an empty text gives no lines.
  void FillReply(int code, std::string_view text);
  void Assign(const TIdRFCReply& source);

  // Every line ends with CR LF. With a code: "code-line" for all lines but the last,
  // "code line" for the last, or "code" alone when there are no lines. Without a code:
  // the lines alone, or the empty string when there are none.
  std::string RenderReply() const;
};

// Writes the rendered reply on the connection; nothing when the reply has no content.
// Throws what the connection's writes throw.
void WriteReply(TIdTCPConnection& connection, const TIdRFCReply& reply);

// Splits a text into lines the way a string list takes a multi-line text.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace horalux
