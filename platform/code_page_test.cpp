// The window's round trip (box, run, log, Save) is in app/form1_sync_test.cpp and the
// store's in regedit_document_test.cpp; here are the cases they do not meet.
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <random>

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

// The second half of U+1F44D is U+DC4D, among the escapes' units, yet no escape.
TEST(CodePage, APairWhoseSecondHalfLooksLikeAnEscapeStaysOneCharacter) {
  const CodePage utf8("UTF-8");
  const std::string thumbsUp = "ok \xf0\x9f\x91\x8d";
  EXPECT_EQ(utf8.Decode(thumbsUp), u"ok \U0001F44D");
  EXPECT_EQ(utf8.Encode(u"ok \U0001F44D"), thumbsUp);
  EXPECT_EQ(utf8.Encode(u"\xDC4D"), std::string(1, '\x4d'));  // alone it is one
}

TEST(CodePage, EveryByteSequenceComesBackInEveryCodePage) {
  std::mt19937 random(868);
  for (const CodePage& page : {CodePage::User(), CodePage("UTF-8"), CodePage("ISO-8859-1"),
                               CodePage("CP1252"), CodePage("CP932"), CodePage("NO-SUCH")}) {
    for (int round = 0; round < 300; ++round) {
      std::string bytes(static_cast<std::size_t>(random() % 12), '\0');
      for (char& c : bytes) c = static_cast<char>(random() & 0xff);
      EXPECT_EQ(page.Encode(page.Decode(bytes)), bytes) << page.Name();
    }
  }
}

TEST(CodePage, CharactersItCannotHoldBecomeQuestionMarks) {
  EXPECT_EQ(CodePage("ISO-8859-1").Encode(u"\u20ac5 b\u00fc \u0101"), "?5 b\xfc ?");
  EXPECT_EQ(CodePage("ISO-8859-1").Decode("b\xfc"), u"b\u00fc");
  EXPECT_EQ(CodePage("CP1252").Decode("\x80"), u"\u20ac");
  EXPECT_EQ(CodePage("UTF-8").Encode(u"\u20ac\U0001F550"), "\xe2\x82\xac\xf0\x9f\x95\x90");
  const std::u16string halfAPair =
      u"a\xD800"
      u"b";
  EXPECT_EQ(CodePage("UTF-8").Encode(halfAPair), "a?b");
}

}  // namespace
}  // namespace horalux
