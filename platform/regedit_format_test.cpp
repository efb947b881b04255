#include "platform/regedit_format.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out += static_cast<char>(v);
  return out;
}

std::vector<std::string> Lines(std::string_view name, const RegValue& value) {
  auto lines = FormatValueEntry(name, value);
  EXPECT_TRUE(lines.has_value());
  return lines.value_or(std::vector<std::string>{});
}

// Joins the physical lines the way a reader of the file does.
std::optional<RegEntry> ReadBack(const std::vector<std::string>& lines) {
  std::string entry = lines.at(0);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_TRUE(ContinuesOnNextLine(entry)) << entry;
    EXPECT_TRUE(IsHexContinuationLine(lines[i])) << lines[i];
    JoinContinuation(entry, lines[i]);
  }
  EXPECT_FALSE(ContinuesOnNextLine(entry)) << entry;
  return ParseValueEntry(entry);
}

void ExpectRoundTrip(std::string_view name, const RegValue& value) {
  const auto entry = ReadBack(Lines(name, value));
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->kind, RegEntry::Kind::Value);
  EXPECT_EQ(entry->name, name);
  EXPECT_EQ(entry->value, value);
}

TEST(RegeditFormat, WritesTheFourSettingsAsAnExportDoes) {
  EXPECT_EQ(Lines("Host", {kRegSz, std::string("time.example\0", 13)}),
            std::vector<std::string>{"\"Host\"=\"time.example\""});
  EXPECT_EQ(Lines("Interval", {kRegDword, Bytes({0x2c, 0x01, 0, 0})}),
            std::vector<std::string>{"\"Interval\"=dword:0000012c"});
  EXPECT_EQ(Lines("Start Server", {kRegDword, Bytes({0xff, 0xff, 0xff, 0xff})}),
            std::vector<std::string>{"\"Start Server\"=dword:ffffffff"});
}

TEST(RegeditFormat, EveryTypeSurvivesARoundTrip) {
  ExpectRoundTrip("sz", {kRegSz, std::string("a b\0", 4)});
  ExpectRoundTrip("empty sz", {kRegSz, std::string(1, '\0')});
  ExpectRoundTrip("sz of size 0", {kRegSz, ""});
  ExpectRoundTrip("expand", {kRegExpandSz, std::string("%HOME%\\x\0", 9)});
  ExpectRoundTrip("binary", {kRegBinary, Bytes({0, 1, 0x7f, 0x80, 0xff})});
  ExpectRoundTrip("empty binary", {kRegBinary, ""});
  ExpectRoundTrip("dword", {kRegDword, Bytes({1, 2, 3, 4})});
  ExpectRoundTrip("multi", {kRegMultiSz, std::string("a\0b\0\0", 5)});
  ExpectRoundTrip("qword", {kRegQword, Bytes({1, 2, 3, 4, 5, 6, 7, 8})});
  ExpectRoundTrip("none", {kRegNone, Bytes({9})});
  ExpectRoundTrip("odd type", {0xabcdef12u, Bytes({1})});
  ExpectRoundTrip("", {kRegSz, std::string("default\0", 8)});
}

TEST(RegeditFormat, TypesAndSizesWithoutAShortFormAreWrittenAsHex) {
  EXPECT_EQ(Lines("v", {kRegExpandSz, std::string("%A%\0", 4)}),
            std::vector<std::string>{"\"v\"=hex(2):25,41,25,00"});
  EXPECT_EQ(Lines("v", {kRegBinary, Bytes({0xab, 1})}),
            std::vector<std::string>{"\"v\"=hex:ab,01"});
  EXPECT_EQ(Lines("v", {kRegQword, Bytes({1, 0, 0, 0, 0, 0, 0, 0})}),
            std::vector<std::string>{"\"v\"=hex(b):01,00,00,00,00,00,00,00"});
  EXPECT_EQ(Lines("v", {kRegNone, ""}), std::vector<std::string>{"\"v\"=hex(0):"});
  // A five-byte "integer" keeps its size.
  EXPECT_EQ(Lines("v", {kRegDword, Bytes({1, 0, 0, 0, 0})}),
            std::vector<std::string>{"\"v\"=hex(4):01,00,00,00,00"});
}

TEST(RegeditFormat, StringsThatAreUnsafeBetweenQuotesBecomeHex) {
  EXPECT_EQ(Lines("v", {kRegSz, std::string("a\0b\0", 4)}),
            std::vector<std::string>{"\"v\"=hex(1):61,00,62,00"});
  EXPECT_EQ(Lines("v", {kRegSz, std::string("a\nb\0", 4)}),
            std::vector<std::string>{"\"v\"=hex(1):61,0a,62,00"});
  EXPECT_EQ(Lines("v", {kRegSz, std::string("a\r\0", 3)}),
            std::vector<std::string>{"\"v\"=hex(1):61,0d,00"});
  EXPECT_EQ(Lines("v", {kRegSz, "no terminator"}).front().substr(0, 10), "\"v\"=hex(1)");
  ExpectRoundTrip("v", {kRegSz, std::string("a\0b\0", 4)});
  ExpectRoundTrip("v", {kRegSz, std::string("tab\there\x7f\0", 10)});
}

TEST(RegeditFormat, EscapesBackslashAndQuoteAndKeepsEightBitBytes) {
  const RegValue value{kRegSz, std::string("C:\\dir \"x\" \xe4\xfc\0", 14)};
  EXPECT_EQ(Lines("a\\\"b", value),
            std::vector<std::string>{"\"a\\\\\\\"b\"=\"C:\\\\dir \\\"x\\\" \xe4\xfc\""});
  ExpectRoundTrip("a\\\"b", value);
  // A string ending in a backslash is no continuation.
  EXPECT_FALSE(ContinuesOnNextLine("\"p\"=\"C:\\\\\""));
  ExpectRoundTrip("p", {kRegSz, std::string("C:\\\0", 4)});
}

TEST(RegeditFormat, NamesWithControlCharactersCannotBeWritten) {
  EXPECT_FALSE(FormatValueEntry("a\nb", {kRegSz, std::string(1, '\0')}).has_value());
  EXPECT_FALSE(FormatValueEntry(std::string("a\0b", 3), {kRegSz, ""}).has_value());
}

TEST(RegeditFormat, LongHexDataWrapsWithBackslashesNearEightyColumns) {
  const RegValue value{kRegBinary, std::string(200, '\x5a')};
  const auto lines = Lines("Blob", value);
  ASSERT_GT(lines.size(), 2u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(lines[i].size(), 80u) << lines[i];
    if (i + 1 < lines.size()) {
      EXPECT_EQ(lines[i].substr(lines[i].size() - 2), ",\\");
    }
    if (i > 0) {
      EXPECT_EQ(lines[i].substr(0, 2), "  ");
    }
  }
  ExpectRoundTrip("Blob", value);
}

TEST(RegeditFormat, ReadsExportedVariants) {
  auto entry = ParseValueEntry("\"Interval\"=DWORD:0000012C  ");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->value, (RegValue{kRegDword, Bytes({0x2c, 1, 0, 0})}));
  entry = ParseValueEntry("\"b\"=HEX(B):01, 02 ,FF");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->value, (RegValue{kRegQword, Bytes({1, 2, 0xff})}));
  entry = ParseValueEntry("@=\"x\"");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "");
  EXPECT_EQ(entry->value, (RegValue{kRegSz, std::string("x\0", 2)}));
  entry = ParseValueEntry("\"Host\"=-");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->kind, RegEntry::Kind::Deletion);
}

TEST(RegeditFormat, DamagedDataIsUnreadableNeverAnotherValue) {
  for (const char* line : {
           "\"Host\"=\"time.ex",          // cut inside the text
           "\"Host\"=\"a\"b",             // text after the closing quote
           "\"Host\"=\"a\\nb\"",          // an escape REGEDIT4 does not have
           "\"Host\"=dword:0000012",      // cut inside the number
           "\"Host\"=dword:0000012c1",    // too many digits
           "\"Host\"=dword:0000012g",     // not a hex digit
           "\"Host\"=hex:01,0",           // half a byte
           "\"Host\"=hex:01,",            // cut after a comma
           "\"Host\"=hex:01,02,\\",       // continuation that never came
           "\"Host\"=hex(1:01",           // type without its parenthesis
           "\"Host\"=hex():01",           // type without a number
           "\"Host\"=hex(123456789):01",  // type beyond 32 bits
           "\"Host\"=hex01",              // no colon
           "\"Host\"=text",               // no known data form
           "\"Host\"=",                   // no data
           "\"Host\"",                    // no '='
           "\"Host\" = \"x\"",            // blanks around '=' are not in the format
       }) {
    const auto entry = ParseValueEntry(line);
    ASSERT_TRUE(entry.has_value()) << line;
    EXPECT_EQ(entry->name, "Host") << line;
    EXPECT_EQ(entry->kind, RegEntry::Kind::Malformed) << line;
  }
}

TEST(RegeditFormat, LinesWithoutAReadableNameAreNoEntries) {
  for (const char* line : {"", "; comment", "Host=\"x\"", "\"Ho", "\"a\\qb\"=\"x\"", " \"Host\"=-",
                           "[HKEY_CURRENT_USER\\X]", "REGEDIT4"}) {
    EXPECT_FALSE(ParseValueEntry(line).has_value()) << line;
  }
}

TEST(RegeditFormat, ContinuationLinesHoldOnlyHexData) {
  EXPECT_TRUE(IsHexContinuationLine("  01,02,ab,\\"));
  EXPECT_TRUE(IsHexContinuationLine("ff"));
  EXPECT_FALSE(IsHexContinuationLine(""));
  EXPECT_FALSE(IsHexContinuationLine("  \\"));
  EXPECT_FALSE(IsHexContinuationLine("[HKEY_CURRENT_USER\\X]"));
  EXPECT_FALSE(IsHexContinuationLine("\"Host\"=\"x\""));
  std::string entry = "\"b\"=hex:01,02,\\";
  JoinContinuation(entry, "  03,04");
  EXPECT_EQ(entry, "\"b\"=hex:01,02,03,04");
}

}  // namespace
}  // namespace horalux
