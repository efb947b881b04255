// What a Windows program sees as argv[0]: a path with either separator, a drive, ".exe".
#include <gtest/gtest.h>

#include "base/notice_name.h"

namespace horalux {
namespace {

TEST(NoticeNameWin32, DropsTheFoldersDriveAndExe) {
  EXPECT_EQ(NoticeNameOf("C:\\Program Files\\Horalux\\horalux.exe"), "horalux");
  EXPECT_EQ(NoticeNameOf("Z:/work/build/HORALUX.EXE"), "HORALUX");
  EXPECT_EQ(NoticeNameOf("D:horalux"), "horalux");
  EXPECT_EQ(NoticeNameOf("horalux.exe.bak"), "horalux.exe.bak");
  EXPECT_EQ(NoticeNameOf("C:\\tools\\.exe"), ".exe");
}

}  // namespace
}  // namespace horalux
