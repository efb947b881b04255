// The window's round trip (box, run, log, Save) is in app/form1_sync_test.cpp and the
// store's in regedit_document_test.cpp; here are the cases they do not meet.
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

TEST(CodePage, KeepsBytesItCannotDecode) {
  const CodePage utf8("UTF-8");
  // Latin-1, a stray continuation, an encoded surrogate, a cut character, a NUL.
  const std::string bytes(
      "b\xfc"
      "cher \x80 \xed\xa0\x80 \xc3\xbc \xe2\x82\0.",
      20);
  const std::u16string shown = utf8.Decode(bytes);
  EXPECT_EQ(shown.substr(0, 2), u"b\xDCFC");
  EXPECT_NE(shown.find(u" \u00fc "), std::u16string::npos);
  EXPECT_EQ(utf8.Encode(shown), bytes);
  const CodePage unknown("NO-SUCH-CODE-SET");
  EXPECT_EQ(unknown.Encode(unknown.Decode(bytes)), bytes);
}

TEST(CodePage, CharactersItCannotHoldBecomeQuestionMarks) {
  EXPECT_EQ(CodePage("ISO-8859-1").Encode(u"\u20ac5 b\u00fc"), "?5 b\xfc");
  EXPECT_EQ(CodePage("ISO-8859-1").Decode("b\xfc"), u"b\u00fc");
  EXPECT_EQ(CodePage("UTF-8").Encode(u"\u20ac\U0001F550"), "\xe2\x82\xac\xf0\x9f\x95\x90");
  const std::u16string halfAPair =
      u"a\xD800"
      u"b";
  EXPECT_EQ(CodePage("UTF-8").Encode(halfAPair), "a?b");
}

}  // namespace
}  // namespace horalux
