#include "platform/regedit_document.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

const std::string kKey = "HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux";

RegValue Sz(const std::string& text) { return {kRegSz, text + '\0'}; }
RegValue Dword(unsigned char low) {
  return {kRegDword, std::string{static_cast<char>(low), 0, 0, 0}};
}

std::optional<RegValue> ValueOf(const RegDocument& document, std::string_view name,
                                const std::string& key = kKey) {
  const auto entry = document.FindValue(key, name);
  if (!entry || entry->kind != RegEntry::Kind::Value) return {};
  return entry->value;
}

TEST(RegDocument, NewKeyInAnEmptyFileIsAnExportWithAnEmptySection) {
  RegDocument document;
  EXPECT_FALSE(document.HasKey(kKey));
  document.AddKey(kKey);
  EXPECT_TRUE(document.HasKey(kKey));
  EXPECT_EQ(document.Text(), "REGEDIT4\n\n[" + kKey + "]\n\n");
}

TEST(RegDocument, SettingTheFourValuesGivesTheExactText) {
  RegDocument document;
  document.AddKey(kKey);
  ASSERT_TRUE(document.SetValue(kKey, "Host", Sz("time.example")));
  ASSERT_TRUE(document.SetValue(kKey, "Interval", {kRegDword, std::string("\x2c\x01\0\0", 4)}));
  ASSERT_TRUE(document.SetValue(kKey, "Sync on Startup", Dword(1)));
  ASSERT_TRUE(document.SetValue(kKey, "Start Server", Dword(0)));
  EXPECT_EQ(document.Text(),
            "REGEDIT4\n"
            "\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n"
            "\"Host\"=\"time.example\"\n"
            "\"Interval\"=dword:0000012c\n"
            "\"Sync on Startup\"=dword:00000001\n"
            "\"Start Server\"=dword:00000000\n"
            "\n");
  // Setting again replaces in place.
  ASSERT_TRUE(document.SetValue(kKey, "Interval", Dword(45)));
  EXPECT_NE(document.Text().find("\"Host\"=\"time.example\"\n\"Interval\"=dword:0000002d\n"),
            std::string::npos);
}

TEST(RegDocument, EverythingElseInTheFileSurvivesAnEdit) {
  const std::string before =
      "REGEDIT4\r\n"
      "\r\n"
      "; hand-written note\r\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Other]\r\n"
      "\"Host\"=\"other.example\"\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\r\n"
      "\"Host\"=\"old.example\"\r\n"
      "\"Colour\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "\"Broken\"=dword:12\r\n"
      "garbage \x01\x02 line\r\n"
      "; closing comment\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\X]\r\n"
      "@=\"y\"";
  RegDocument document = RegDocument::Parse(before);
  EXPECT_EQ(document.Text(), before);
  ASSERT_TRUE(document.SetValue(kKey, "Host", Sz("new.example")));
  ASSERT_TRUE(document.SetValue(kKey, "Interval", Dword(5)));
  std::string expected = before;
  expected.replace(expected.find("old.example"), 11, "new.example");
  expected.insert(expected.find("garbage"), "\"Interval\"=dword:00000005\r\n");
  EXPECT_EQ(document.Text(), expected);
  EXPECT_EQ(ValueOf(document, "Host", "HKEY_CURRENT_USER\\SOFTWARE\\Other"), Sz("other.example"));
}

TEST(RegDocument, ReplacingAContinuedEntryReplacesAllItsLines) {
  RegDocument document = RegDocument::Parse(
      "REGEDIT4\n\n[" + kKey + "]\n\"Blob\"=hex:01,02,\\\n  03,\\\n  04\n\"After\"=\"x\"\n");
  EXPECT_EQ(ValueOf(document, "Blob"), (RegValue{kRegBinary, std::string("\1\2\3\4", 4)}));
  ASSERT_TRUE(document.SetValue(kKey, "Blob", Dword(7)));
  EXPECT_EQ(document.Text(),
            "REGEDIT4\n\n[" + kKey + "]\n\"Blob\"=dword:00000007\n\"After\"=\"x\"\n");
}

TEST(RegDocument, DanglingContinuationDoesNotSwallowTheNextSection) {
  RegDocument document = RegDocument::Parse("REGEDIT4\n\n[" + kKey +
                                            "]\n\"Blob\"=hex:01,\\\n[HKEY_CURRENT_USER\\Y]\n"
                                            "\"Blob\"=hex:02\n");
  const auto entry = document.FindValue(kKey, "Blob");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->kind, RegEntry::Kind::Malformed);
  EXPECT_EQ(ValueOf(document, "Blob", "HKEY_CURRENT_USER\\Y"),
            (RegValue{kRegBinary, std::string(1, '\2')}));
  ASSERT_TRUE(document.SetValue(kKey, "Blob", Dword(1)));
  EXPECT_NE(document.Text().find("[HKEY_CURRENT_USER\\Y]\n\"Blob\"=hex:02\n"), std::string::npos);
}

TEST(RegDocument, LastOccurrenceWinsAsAnImportWould) {
  RegDocument document = RegDocument::Parse("REGEDIT4\n\n[" + kKey +
                                            "]\n\"Host\"=\"first\"\n\"HOST\"=\"second\"\n"
                                            "[hkey_current_user\\software\\vantok\\horalux]\n"
                                            "\"host\"=\"third\"\n\"Gone\"=\"x\"\n\"Gone\"=-\n");
  EXPECT_EQ(ValueOf(document, "Host"), Sz("third"));
  EXPECT_EQ(document.FindValue(kKey, "Gone")->kind, RegEntry::Kind::Deletion);
  ASSERT_TRUE(document.SetValue(kKey, "Host", Sz("fourth")));
  EXPECT_EQ(ValueOf(document, "Host"), Sz("fourth"));
  EXPECT_NE(document.Text().find("\"HOST\"=\"second\"\n"), std::string::npos);
  // A new name goes into the last section, after its last entry.
  ASSERT_TRUE(document.SetValue(kKey, "New", Dword(1)));
  EXPECT_NE(document.Text().find("\"Gone\"=-\n\"New\"=dword:00000001\n"), std::string::npos);
}

TEST(RegDocument, ValuesOutsideTheKeyOrUnderDamagedHeadersDoNotCount) {
  RegDocument document = RegDocument::Parse("REGEDIT4\n\"Host\"=\"preamble\"\n[" + kKey +
                                            "\n\"Host\"=\"unclosed header\"\n[" + kKey +
                                            "\\Sub]\n\"Host\"=\"subkey\"\n");
  EXPECT_FALSE(document.HasKey(kKey));
  EXPECT_FALSE(document.FindValue(kKey, "Host").has_value());
}

TEST(RegDocument, ForeignFileIsKeptAndBecomesAnExport) {
  constexpr char kPng[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR \"Host\"=\"x\"";
  const std::string garbage(kPng, sizeof kPng - 1);
  RegDocument document = RegDocument::Parse(garbage);
  EXPECT_FALSE(document.HasHeader());
  EXPECT_EQ(document.Text(), garbage);
  document.AddKey(kKey);
  ASSERT_TRUE(document.SetValue(kKey, "Host", Sz("h")));
  EXPECT_EQ(document.Text(),
            "REGEDIT4\r\n\r\n" + garbage + "\r\n\r\n[" + kKey + "]\r\n\"Host\"=\"h\"\r\n\r\n");
}

TEST(RegDocument, LastLineWithoutLineEndGetsOneBeforeAnAddedLine) {
  RegDocument document = RegDocument::Parse("REGEDIT4\n\n[" + kKey + "]");
  ASSERT_TRUE(document.SetValue(kKey, "Host", Sz("h")));
  EXPECT_EQ(document.Text(), "REGEDIT4\n\n[" + kKey + "]\n\"Host\"=\"h\"\n");
  document = RegDocument::Parse("REGEDIT4\n\n[" + kKey + "]\n\"Host\"=\"a\"");
  ASSERT_TRUE(document.SetValue(kKey, "Host", Sz("b")));
  EXPECT_EQ(document.Text(), "REGEDIT4\n\n[" + kKey + "]\n\"Host\"=\"b\"\n");
}

TEST(RegDocument, SettingAValueOfAMissingKeyAddsTheKey) {
  RegDocument document = RegDocument::Parse("REGEDIT4\n\n[HKEY_CURRENT_USER\\Other]\n");
  ASSERT_TRUE(document.SetValue(kKey, "Host", Sz("h")));
  EXPECT_EQ(document.Text(),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Other]\n\n[" + kKey + "]\n\"Host\"=\"h\"\n\n");
}

TEST(RegDocument, UnwritableNameChangesNothing) {
  RegDocument document = RegDocument::Parse("REGEDIT4\n");
  EXPECT_FALSE(document.SetValue(kKey, "a\nb", Sz("x")));
  EXPECT_EQ(document.Text(), "REGEDIT4\n");
}

}  // namespace
}  // namespace horalux
