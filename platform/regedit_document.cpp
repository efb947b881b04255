#include "platform/regedit_document.h"

namespace horalux {
namespace {

const std::string kHeader = "REGEDIT4";
const std::string kNewline = "\n";

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
  while (!content.empty()) {
    const std::size_t newline = content.find('\n');
    Line line;
    if (newline == std::string_view::npos) {
      line.text = content;
      content = {};
    } else {
      const bool crlf = newline > 0 && content[newline - 1] == '\r';
      line.text = content.substr(0, crlf ? newline - 1 : newline);
      line.eol = crlf ? "\r\n" : "\n";
      content.remove_prefix(newline + 1);
    }
    document.lines_.push_back(std::move(line));
  }
  return document;
}

std::string RegDocument::Text() const {
  std::string text;
  for (const Line& line : lines_) text += line.text + line.eol;
  return text;
}

bool RegDocument::HasHeader() const {
  return !lines_.empty() && TrimRight(lines_.front().text) == kHeader;
}

bool RegDocument::HasKey(std::string_view key) const { return !SectionsOf(key).empty(); }

void RegDocument::AddKey(std::string_view key) {
  const std::string eol = DefaultEol();
  if (!HasHeader()) Insert(0, {kHeader, ""}, eol);
  if (lines_.back().eol.empty()) lines_.back().eol = eol;
  std::vector<std::string> texts;
  if (!IsBlankLine(lines_.back().text)) texts.emplace_back();
  texts.push_back("[" + std::string(key) + "]");
  // Exports close every section with a blank line; new values go in before it.
  texts.emplace_back();
  Insert(lines_.size(), texts, eol);
}

std::optional<RegEntry> RegDocument::FindValue(std::string_view key, std::string_view name) const {
  std::optional<RegEntry> found;
  for (const Section& section : SectionsOf(key)) {
    for (std::size_t i = section.header + 1; i < section.end;) {
      Span span = SpanAt(i, section.end);
      if (span.entry && NamesEqual(span.entry->name, name)) found = std::move(span.entry);
      i += span.count;
    }
  }
  return found;
}

bool RegDocument::SetValue(std::string_view key, std::string_view name, const RegValue& value) {
  const auto texts = FormatValueEntry(name, value);
  if (!texts) return false;
  if (!HasKey(key)) AddKey(key);
  const std::vector<Section> sections = SectionsOf(key);
  std::optional<Span> match;
  for (const Section& section : sections) {
    for (std::size_t i = section.header + 1; i < section.end;) {
      const Span span = SpanAt(i, section.end);
      if (span.entry && NamesEqual(span.entry->name, name)) match = span;
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
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!IsSectionLine(lines_[i].text)) continue;
    if (inside) sections.back().end = i;
    inside = NamesEqual(SectionKey(lines_[i].text), key) && !key.empty();
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
  span.entry = ParseValueEntry(entry);
  return span;
}

const std::string& RegDocument::DefaultEol() const {
  for (const Line& line : lines_) {
    if (!line.eol.empty()) return line.eol;
  }
  return kNewline;
}

void RegDocument::Insert(std::size_t at, const std::vector<std::string>& texts,
                         const std::string& eol) {
  std::vector<Line> added;
  for (const std::string& text : texts) added.push_back({text, eol});
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

}  // namespace horalux
