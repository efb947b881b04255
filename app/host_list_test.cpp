#include "app/host_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

#include "platform/scoped_temp_dir.h"

namespace horalux {
namespace {

using Entries = std::vector<std::string>;

class HostListTest : public ::testing::Test {
 protected:
  Entries Read(const std::string& content) {
    testing::WriteFileText(path_, content);
    return ReadHostList(path_);
  }

  testing::ScopedTempDir dir_;
  std::string path_ = dir_.File("server.lst");
};

TEST_F(HostListTest, LinesEndWithCrOrCrLfAndAreTakenUnchanged) {
  EXPECT_EQ(Read("a.example\r\nb.example\r\n"), (Entries{"a.example", "b.example"}));
  EXPECT_EQ(Read("a\rb\r"), (Entries{"a", "b"}));
  EXPECT_EQ(Read(" spaced \t\r\nx\r\nx\r\n"), (Entries{" spaced \t", "x", "x"}));
  EXPECT_EQ(Read("\xe4\xf6\xfc\x01\r\n"), (Entries{"\xe4\xf6\xfc\x01"}));
  EXPECT_EQ(Read(std::string("nul\0inside\r\n", 12)), (Entries{std::string("nul\0inside", 10)}));
}

TEST_F(HostListTest, LoneLineFeedsStayInTheText) {
  EXPECT_EQ(Read("a\nb\nc\n"), (Entries{"a\nb\nc\n"}));
  EXPECT_EQ(Read("\n"), (Entries{"\n"}));
  EXPECT_EQ(Read("a\n\r\nb"), (Entries{"a\n", "b"}));
}

TEST_F(HostListTest, EmptyLinesGiveEmptyEntries) {
  EXPECT_EQ(Read("a\r\n\r\nb\r\n"), (Entries{"a", "", "b"}));
  EXPECT_EQ(Read("\r\n"), (Entries{""}));
  // CR CR LF: the first CR ends the line, the second ends an empty one and takes the LF.
  EXPECT_EQ(Read("a\r\r\nb"), (Entries{"a", "", "b"}));
}

TEST_F(HostListTest, LastLineWithoutLineEndCountsAndEmptyFileGivesNothing) {
  EXPECT_EQ(Read("a\r\nlast"), (Entries{"a", "last"}));
  EXPECT_EQ(Read(""), Entries{});
}

TEST_F(HostListTest, CtrlZEndsTheText) {
  const std::string z = "\x1a";
  EXPECT_EQ(Read("a\r\nb" + z + "c\r\nd\r\n"), (Entries{"a", "b"}));
  EXPECT_EQ(Read("a\r\n" + z + "b"), (Entries{"a"}));
  EXPECT_EQ(Read(z + "a\r\n"), Entries{});
  EXPECT_EQ(Read("a\r" + z), (Entries{"a"}));
}

TEST_F(HostListTest, MissingOrUnreadableFileRaisesWithTheSystemsReason) {
  try {
    ReadHostList(dir_.File("absent.lst"));
    FAIL() << "no exception";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.errorCode(), ENOENT);
    EXPECT_NE(error.Message().find("No such file or directory"), std::string::npos);
  }
  ASSERT_TRUE(std::filesystem::create_directory(path_));  // unreadable even for root
  EXPECT_THROW(ReadHostList(path_), EInOutError);
}

TEST_F(HostListTest, CrLfSplitAcrossReadChunksIsOneLineEnd) {
  constexpr std::size_t kChunk = std::size_t{64} << 10;  // the reader's chunk size
  const std::string first(kChunk - 1, 'a');
  EXPECT_EQ(Read(first + "\r\nb"), (Entries{first, "b"}));
  EXPECT_EQ(Read(first + "\r\r\n"), (Entries{first, ""}));
  const std::string full(kChunk, 'a');
  EXPECT_EQ(Read(full + "\x1a" + "b"), (Entries{full}));
}

TEST_F(HostListTest, HandlesLargeFilesLongLinesAndGarbage) {
  std::string big;
  std::size_t lines = 0;
  while (big.size() < (std::size_t{10} << 20)) {
    big += "host" + std::to_string(lines++) + ".example\r\n";
  }
  const Entries entries = Read(big);
  ASSERT_EQ(entries.size(), lines);
  EXPECT_EQ(entries.back(), "host" + std::to_string(lines - 1) + ".example");

  const std::string longLine(100000, 'h');
  EXPECT_EQ(Read("a\r\n" + longLine + "\r\nb"), (Entries{"a", longLine, "b"}));

  std::mt19937 random(37);
  std::string garbage(1 << 20, '\0');
  for (char& c : garbage) c = static_cast<char>(random() & 0xff);
  const std::string beforeCtrlZ = garbage.substr(0, garbage.find('\x1a'));
  const Entries read = Read(garbage);
  EXPECT_LE(read.size(),
            static_cast<std::size_t>(std::count(beforeCtrlZ.begin(), beforeCtrlZ.end(), '\r')) + 1);
  for (const std::string& entry : read) {
    EXPECT_EQ(entry.find_first_of("\r\x1a"), std::string::npos);
  }
}

}  // namespace
}  // namespace horalux
