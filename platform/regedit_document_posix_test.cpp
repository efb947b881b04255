#include "platform/regedit_document.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_env.h"

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

// Each byte of `latin1` as one UTF-16LE unit, after a byte-order mark: a UTF-16 file
// spelled in Latin-1.
std::string Utf16Le(std::string_view latin1) {
  std::string bytes = "\xFF\xFE";
  for (const char c : latin1) bytes += {c, '\0'};
  return bytes;
}

const std::string kExportHead =
    "Windows Registry Editor Version "
    "5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vantok\\Horalux]\r\n";

TEST(RegDocumentFormats, AUtf16ExportOfTheRegistryEditorIsReadAndWrittenBackAsItCame) {
  const testing::ScopedEnvVar utf8("LC_ALL", "C.UTF-8");  // the code page
  const std::string exported = Utf16Le(kExportHead +
                                       "\"Host\"=\"zeit.b\xfc"
                                       "cher.example\"\r\n"
                                       "\"Interval\"=dword:0000012c\r\n"
                                       "\"Path\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\r\n"
                                       "\r\n");
  RegDocument document = RegDocument::Parse(exported);
  EXPECT_EQ(document.Text(), exported);
  EXPECT_EQ(ValueOf(document, "Host"), Sz("zeit.b\xc3\xbc"
                                          "cher.example"));
  EXPECT_EQ(ValueOf(document, "Interval"), (RegValue{kRegDword, std::string("\x2c\x01\0\0", 4)}));
  EXPECT_EQ(ValueOf(document, "Path"), (RegValue{kRegExpandSz, std::string("%TMP%\0", 6)}));

  ASSERT_TRUE(document.SetValue(kKey, "Host",
                                Sz("neu.b\xc3\xbc"
                                   "cher.example")));
  ASSERT_TRUE(document.SetValue(kKey, "Path", {kRegExpandSz, std::string("%HOME%\0", 7)}));
  ASSERT_TRUE(document.SetValue(kKey, "Start Server", Dword(0)));
  EXPECT_EQ(document.Text(),
            Utf16Le(kExportHead + "\"Host\"=\"neu.b\xfc"
                                  "cher.example\"\r\n"
                                  "\"Interval\"=dword:0000012c\r\n"
                                  "\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\r\n"
                                  "\"Start Server\"=dword:00000000\r\n"
                                  "\r\n"));

  RegDocument marked = RegDocument::Parse("\xFF\xFE");  // a header-less Unicode file
  marked.AddKey(kKey);
  EXPECT_EQ(marked.Text(),
            Utf16Le("Windows Registry Editor Version 5.00\r\n\r\n[" + kKey + "]\r\n\r\n"));
}

TEST(RegDocumentFormats, CrOnlyLineEndsAndAUtf8MarkAreReadAndKept) {
  const std::string crOnly = "REGEDIT4\r\r[" + kKey + "]\r\"Host\"=\"a\"\r\r";
  RegDocument document = RegDocument::Parse(crOnly);
  EXPECT_EQ(document.Text(), crOnly);
  EXPECT_EQ(ValueOf(document, "Host"), Sz("a"));
  ASSERT_TRUE(document.SetValue(kKey, "Interval", Dword(5)));
  EXPECT_EQ(document.Text(),
            "REGEDIT4\r\r[" + kKey + "]\r\"Host\"=\"a\"\r\"Interval\"=dword:00000005\r\r");

  const testing::ScopedEnvVar utf8("LC_ALL", "C.UTF-8");  // the code page
  const std::string marked = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n[" + kKey +
                             "]\n\"Host\"=\"zeit.b\xc3\xbc"
                             "cher\"\n";
  document = RegDocument::Parse(marked);
  EXPECT_EQ(ValueOf(document, "Host"), Sz("zeit.b\xc3\xbc"
                                          "cher"));
  ASSERT_TRUE(document.SetValue(kKey, "Host", Sz("x")));
  EXPECT_EQ(document.Text(),
            "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n[" + kKey + "]\n\"Host\"=\"x\"\n");
}

TEST(RegDocumentFormats, TheProgramsBytesComeBackInEveryFormatAndCodePage) {
  const std::string utf8 =
      "zeit.b\xc3\xbc"
      "cher";
  const std::string latin1 =
      "zeit.b\xfc"
      "cher";  // no UTF-8
  const std::string texts[] = {
      utf8, latin1, "\xed\xb2\x80 \xff", "\xf0\x9f\x95\x90 \"q\" \\", "tab\there", ""};
  const std::string files[] = {Utf16Le("Windows Registry Editor Version 5.00\r\n"),
                               "Windows Registry Editor Version 5.00\n", "\xEF\xBB\xBFREGEDIT4\n",
                               "REGEDIT4\n"};
  for (const char* locale : {"C.UTF-8", "C"}) {
    const testing::ScopedEnvVar codePage("LC_ALL", locale);
    for (const std::string& file : files) {
      for (const std::string& text : texts) {
        RegDocument document = RegDocument::Parse(file);
        const RegValue expand{kRegExpandSz, text + '\0'};
        const RegValue multi{kRegMultiSz, text + '\0' + text + '\0' + '\0'};
        ASSERT_TRUE(document.SetValue(kKey, "Host", Sz(text)));
        ASSERT_TRUE(document.SetValue(kKey, "Expand", expand));
        ASSERT_TRUE(document.SetValue(kKey, "Multi", multi));
        const RegDocument reread = RegDocument::Parse(document.Text());
        const std::string where = std::string(locale) + " " + file.substr(0, 8) + ": " + text;
        EXPECT_EQ(ValueOf(reread, "Host"), Sz(text)) << where;
        EXPECT_EQ(ValueOf(reread, "Expand"), expand) << where;
        EXPECT_EQ(ValueOf(reread, "Multi"), multi) << where;
      }
    }
  }
}

}  // namespace
}  // namespace horalux
