// The name before every notice on standard error, on both systems.
#include "base/notice_name.h"

#include <gtest/gtest.h>

#include <string>

namespace horalux {
namespace {

TEST(NoticeName, IsTheBaseNameOfWhatWasRunOrTheProgramsOwnWhenThatNamesNothing) {
  EXPECT_EQ(NoticeNameOf("/usr/bin/horalux"), "horalux");
  EXPECT_EQ(NoticeNameOf("./build/dev/app/qt/horalux"), "horalux");
  EXPECT_EQ(NoticeNameOf("clockkeeper"), "clockkeeper");
  EXPECT_EQ(NoticeNameOf(""), "horalux");
  EXPECT_EQ(NoticeNameOf("/opt/horalux/"), "horalux");
}

TEST(NoticeName, ThePrefixIsTheNameSetAtTheStartAndFallsBackForNoName) {
  SetNoticeName("/usr/local/bin/time-keeper");
  EXPECT_EQ(NoticePrefix(), "time-keeper: ");
  SetNoticeName(std::string(100, 'x').c_str());
  EXPECT_EQ(NoticePrefix(), std::string(63, 'x') + ": ");
  SetNoticeName(nullptr);
  EXPECT_EQ(NoticePrefix(), "horalux: ");
}

}  // namespace
}  // namespace horalux
