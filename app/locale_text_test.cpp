#include "app/locale_text.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

TEST(LocaleText, ShowsTheCodeSetsCharactersAndGivesBackTheSameBytes) {
  const LocaleText latin1("ISO-8859-1");
  const std::string host =
      "zeit.b\xfc"
      "cher.example";
  EXPECT_EQ(latin1.ToQString(host), QStringLiteral("zeit.b\u00fccher.example"));
  EXPECT_EQ(latin1.ToBytes(latin1.ToQString(host)), host);
  const LocaleText utf8("UTF-8");
  EXPECT_EQ(utf8.ToQString("b\xc3\xbc\xe2\x82\xac\xf0\x9f\x95\x90"),
            QStringLiteral("b\u00fc\u20ac\U0001F550"));
}

TEST(LocaleText, KeepsBytesTheCodeSetCannotDecode) {
  const LocaleText utf8("UTF-8");
  // Latin-1, a stray continuation, an encoded surrogate, a cut character, a NUL.
  const std::string bytes(
      "b\xfc"
      "cher \x80 \xed\xa0\x80 \xc3\xbc \xe2\x82\0.",
      21);
  const QString shown = utf8.ToQString(bytes);
  EXPECT_EQ(shown.left(2), QString(u'b') + QChar(0xDCFC));
  EXPECT_TRUE(shown.contains(QStringLiteral(" \u00fc ")));
  EXPECT_EQ(utf8.ToBytes(shown), bytes);
  const LocaleText unknown("NO-SUCH-CODE-SET");
  EXPECT_EQ(unknown.ToBytes(unknown.ToQString(bytes)), bytes);
}

TEST(LocaleText, TypedCharactersTheCodeSetCannotHoldBecomeQuestionMarks) {
  EXPECT_EQ(LocaleText("ISO-8859-1").ToBytes(QStringLiteral("\u20ac5 b\u00fc")), "?5 b\xfc");
  const QString halfAPair = QString(u'a') + QChar(0xD800) + u'b';
  EXPECT_EQ(LocaleText("UTF-8").ToBytes(halfAPair), "a?b");
}

}  // namespace
}  // namespace horalux
