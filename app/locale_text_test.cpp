// The window's round trip (box, run, log, Save) is in form1_sync_test.cpp; here are the
// cases it does not meet.
#include "app/locale_text.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

TEST(LocaleText, KeepsBytesTheCodeSetCannotDecode) {
  const LocaleText utf8("UTF-8");
  // Latin-1, a stray continuation, an encoded surrogate, a cut character, a NUL.
  const std::string bytes(
      "b\xfc"
      "cher \x80 \xed\xa0\x80 \xc3\xbc \xe2\x82\0.",
      20);
  const QString shown = utf8.ToQString(bytes);
  EXPECT_EQ(shown.left(2), QString(u'b') + QChar(0xDCFC));
  EXPECT_TRUE(shown.contains(QStringLiteral(" \u00fc ")));
  EXPECT_EQ(utf8.ToBytes(shown), bytes);
  const LocaleText unknown("NO-SUCH-CODE-SET");
  EXPECT_EQ(unknown.ToBytes(unknown.ToQString(bytes)), bytes);
}

TEST(LocaleText, TypedCharactersTheCodeSetCannotHoldBecomeQuestionMarks) {
  EXPECT_EQ(LocaleText("ISO-8859-1").ToBytes(QStringLiteral("\u20ac5 b\u00fc")), "?5 b\xfc");
  EXPECT_EQ(LocaleText("UTF-8").ToBytes(QStringLiteral("\u20ac\U0001F550")),
            "\xe2\x82\xac\xf0\x9f\x95\x90");
  const QString halfAPair = QString(u'a') + QChar(0xD800) + u'b';
  EXPECT_EQ(LocaleText("UTF-8").ToBytes(halfAPair), "a?b");
}

}  // namespace
}  // namespace horalux
