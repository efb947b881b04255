#include "platform/regedit_document.h"

#include "platform/unicode_text.h"

namespace horalux {
namespace {

const std::string kHeader4 = "REGEDIT4";
const std::string kHeader5 = "Windows Registry Editor Version 5.00";
const std::string kUtf8Bom = "\xEF\xBB\xBF";
const std::string kUtf16LeBom = "\xFF\xFE";
const std::string kLf = "\n";
const std::string kCrLf = "\r\n";

bool IsSectionLine(std::string_view text) { return !text.empty() && text.front() == '['; }

// The key named by a section line; empty (matching no key) when the line is damaged.
std::string_view SectionKey(std::string_view text) {
  text = TrimRight(text);
  if (text.size() < 2 || text.back() != ']') return {};
  return text.substr(1, text.size() - 2);
}

bool IsBlankLine(std::string_view text) { return TrimRight(text).empty(); }

}  // namespace

RegDocument RegDocument::Parse(std::string_view content) {
  RegDocument document;
  if (content.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
    document.encoding_ = Encoding::Utf16Le;
    content.remove_prefix(kUtf16LeBom.size());
    if (content.size() % 2 != 0) document.oddByte_ = content.substr(content.size() - 1);
    document.SplitLines(Utf16ToUtf8(Utf16LeToUnits(content)));
    return document;
  }
  if (content.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    document.encoding_ = Encoding::Utf8Bom;
    content.remove_prefix(kUtf8Bom.size());
  }
  document.SplitLines(content);
  return document;
}

// CR LF, LF and a CR alone each end a line, so a file from any system reads as lines.
void RegDocument::SplitLines(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    Line line;
    line.text = text.substr(0, end);
    if (end == std::string_view::npos) {
      text = {};
    } else {
      const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
      line.eol = text.substr(end, crlf ? 2 : 1);
      text.remove_prefix(end + line.eol.size());
    }
    lines_.push_back(std::move(line));
  }
}

std::string RegDocument::Text() const {
  std::string text;
  for (const Line& line : lines_) text += line.text + line.eol;
  switch (encoding_) {
    case Encoding::Plain:
      return text;
    case Encoding::Utf8Bom:
      return kUtf8Bom + text;
    case Encoding::Utf16Le:
      return kUtf16LeBom + UnitsToUtf16Le(Utf8ToUtf16(text)) + oddByte_;
  }
  return text;
}

bool RegDocument::HeaderIs(std::string_view header) const {
  return !lines_.empty() && TrimRight(lines_.front().text) == header;
}

bool RegDocument::HasHeader() const { return HeaderIs(kHeader4) || HeaderIs(kHeader5); }

// The header says the format; without one, a byte-order mark stands for version 5.00.
RegDialect RegDocument::Dialect() const {
  const bool version5 = HeaderIs(kHeader5) || (!HasHeader() && encoding_ != Encoding::Plain);
  return {version5 || encoding_ != Encoding::Plain, version5};
}

bool RegDocument::HasKey(std::string_view key) const { return !SectionsOf(key).empty(); }

bool RegDocument::AddKey(std::string_view key) {
  const auto fileKey = TextInFile(key, Dialect());
  if (!fileKey) return false;
  const std::string eol = DefaultEol();
  if (!HasHeader()) Insert(0, {encoding_ == Encoding::Plain ? kHeader4 : kHeader5, ""}, eol);
  if (lines_.back().eol.empty()) lines_.back().eol = eol;
  std::vector<std::string> texts;
  if (!IsBlankLine(lines_.back().text)) texts.emplace_back();
  texts.push_back("[" + *fileKey + "]");
  // Exports close every section with a blank line; new values go in before it.
  texts.emplace_back();
  Insert(lines_.size(), texts, eol);
  return true;
}

std::optional<RegEntry> RegDocument::FindValue(std::string_view key, std::string_view name) const {
  const auto fileName = TextInFile(name, Dialect());
  if (!fileName) return std::nullopt;
  std::optional<RegEntry> found;
  for (const Section& section : SectionsOf(key)) {
    for (std::size_t i = section.header + 1; i < section.end;) {
      Span span = SpanAt(i, section.end);
      if (span.entry && NamesEqual(span.entry->name, *fileName)) found = std::move(span.entry);
      i += span.count;
    }
  }
  return found;
}

bool RegDocument::SetValue(std::string_view key, std::string_view name, const RegValue& value) {
  const auto texts = FormatValueEntry(name, value, Dialect());
  if (!texts) return false;
  if (!HasKey(key) && !AddKey(key)) return false;
  const auto fileName = TextInFile(name, Dialect());
  const std::vector<Section> sections = SectionsOf(key);
  std::optional<Span> match;
  for (const Section& section : sections) {
    for (std::size_t i = section.header + 1; i < section.end;) {
      const Span span = SpanAt(i, section.end);
      if (span.entry && NamesEqual(span.entry->name, *fileName)) match = span;
      i += span.count;
    }
  }
  if (match) {
    const std::string& old = lines_[match->first].eol;
    const std::string eol = old.empty() ? DefaultEol() : old;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(match->first),
                 lines_.begin() + static_cast<std::ptrdiff_t>(match->first + match->count));
    Insert(match->first, *texts, eol);
    return true;
  }
  const std::size_t at = EndOfEntries(sections.back());
  const std::string eol = DefaultEol();
  if (lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol;
  Insert(at, *texts, eol);
  return true;
}

// Just after the section's last value entry, or after its header when it has none, so that
// comments and blank lines closing the section stay at its end.
std::size_t RegDocument::EndOfEntries(const Section& section) const {
  std::size_t at = section.header + 1;
  for (std::size_t i = section.header + 1; i < section.end;) {
    const Span span = SpanAt(i, section.end);
    i += span.count;
    if (span.entry) at = i;
  }
  return at;
}

std::vector<RegDocument::Section> RegDocument::SectionsOf(std::string_view key) const {
  std::vector<Section> sections;
  const auto fileKey = TextInFile(key, Dialect());
  if (!fileKey || fileKey->empty()) return sections;
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!IsSectionLine(lines_[i].text)) continue;
    if (inside) sections.back().end = i;
    inside = NamesEqual(SectionKey(lines_[i].text), *fileKey);
    if (inside) sections.push_back({i, lines_.size()});
  }
  return sections;
}

// The lines from `index` that form one entry: a value line and the continuation lines of
// its hex data. A backslash with no plausible continuation after it ends the entry there,
// so that damaged data never swallows the lines that follow it.
RegDocument::Span RegDocument::SpanAt(std::size_t index, std::size_t end) const {
  Span span{index, 1, {}};
  std::string entry = lines_[index].text;
  while (ContinuesOnNextLine(entry) && index + span.count < end &&
         IsHexContinuationLine(lines_[index + span.count].text)) {
    JoinContinuation(entry, lines_[index + span.count].text);
    ++span.count;
  }
  span.entry = ParseValueEntry(entry, Dialect());
  return span;
}

// The file's first line end; CR LF for a new Unicode file, as the registry editor writes.
const std::string& RegDocument::DefaultEol() const {
  for (const Line& line : lines_) {
    if (!line.eol.empty()) return line.eol;
  }
  return encoding_ == Encoding::Plain ? kLf : kCrLf;
}

void RegDocument::Insert(std::size_t at, const std::vector<std::string>& texts,
                         const std::string& eol) {
  std::vector<Line> added;
  for (const std::string& text : texts) added.push_back({text, eol});
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

}  // namespace horalux
