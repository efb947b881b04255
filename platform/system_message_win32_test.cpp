#include "platform/system_message_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace horalux {
namespace {

TEST(SystemMessageText, IsOneSentenceWithoutFullStopOrLineEnd) {
  EXPECT_EQ(TrimmedMessageText("Access is denied.\r\n"), "Access is denied");
  EXPECT_EQ(TrimmedMessageText("Key deleted. \r\n\r\n"), "Key deleted");
  EXPECT_EQ(TrimmedMessageText("No full stop\r\n"), "No full stop");
  EXPECT_EQ(TrimmedMessageText("Only the last one goes..\n"), "Only the last one goes.");
  EXPECT_EQ(TrimmedMessageText(".\r\n"), "");

  const std::string text = SystemMessageText(ERROR_PRIVILEGE_NOT_HELD);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text, TrimmedMessageText(text));
  EXPECT_EQ(text.find('\n'), std::string::npos) << text;
}

TEST(SystemMessageText, NamesTheNumberWhenTheSystemHasNoText) {
  EXPECT_EQ(SystemMessageText(0xDEADu), "system error 57005");
}

}  // namespace
}  // namespace horalux
