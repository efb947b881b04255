#include "platform/atomic_save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/failing_file_system.h"
#include "platform/scoped_temp_dir.h"

namespace horalux {
namespace {

using testing::FailingFileSystem;
using Step = FailingFileSystem::Step;
using Mode = FailingFileSystem::Mode;

int EntriesIn(const std::string& folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

class AtomicSaveTest : public ::testing::Test {
 protected:
  testing::ScopedTempDir dir_;
  std::string store_ = dir_.File("Horalux.reg");
  FailingFileSystem fs_;
};

TEST_F(AtomicSaveTest, ReplacesTheFileWithMode0600AndLeavesNothingElse) {
  testing::WriteFileText(store_, "old");
  ::chmod(store_.c_str(), 0644);
  ASSERT_TRUE(SaveAtomically(fs_, store_, "new content").ok());
  EXPECT_EQ(testing::ReadFileText(store_), "new content");
  EXPECT_EQ(ModeOf(store_), 0600u);
  EXPECT_EQ(EntriesIn(dir_.Path()), 1);
  EXPECT_EQ(fs_.Calls(Step::Sync), 1);
  EXPECT_EQ(fs_.Calls(Step::SyncFolder), 1);
}

TEST_F(AtomicSaveTest, RefusedStepLeavesTheOldFileWholeAndCleansUp) {
  for (const Step step : {Step::NewTemp, Step::Append, Step::Sync, Step::Close, Step::Rename}) {
    SCOPED_TRACE(static_cast<int>(step));
    testing::WriteFileText(store_, "old content");
    fs_.FailAt(step);
    const FsStatus status = SaveAtomically(fs_, store_, "new content that is longer");
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message.find("injected failure"), std::string::npos);
    EXPECT_EQ(testing::ReadFileText(store_), "old content");
    EXPECT_EQ(EntriesIn(dir_.Path()), 1);
  }
}

TEST_F(AtomicSaveTest, CrashAtAnyStepLeavesTheOldOrTheNewFileWhole) {
  for (const Step step :
       {Step::NewTemp, Step::Append, Step::Sync, Step::Close, Step::Rename, Step::SyncFolder}) {
    SCOPED_TRACE(static_cast<int>(step));
    testing::ScopedTempDir dir;
    const std::string store = dir.File("Horalux.reg");
    testing::WriteFileText(store, "old content");
    FailingFileSystem fs;
    fs.FailAt(step, Mode::Crash);
    EXPECT_FALSE(SaveAtomically(fs, store, "new content that is longer").ok());
    const std::string expected =
        step == Step::SyncFolder ? "new content that is longer" : "old content";
    EXPECT_EQ(testing::ReadFileText(store), expected);
  }
}

TEST_F(AtomicSaveTest, FailedFolderSyncIsReportedThoughTheNewFileIsInPlace) {
  testing::WriteFileText(store_, "old");
  fs_.FailAt(Step::SyncFolder);
  EXPECT_FALSE(SaveAtomically(fs_, store_, "new").ok());
  EXPECT_EQ(testing::ReadFileText(store_), "new");
  EXPECT_EQ(EntriesIn(dir_.Path()), 1);
}

TEST_F(AtomicSaveTest, ReportsTheFirstFailureWhenCleanupFailsToo) {
  testing::WriteFileText(store_, "old");
  fs_.FailAt(Step::Append, Mode::Crash);  // the removal of the half-written file fails as well
  const FsStatus status = SaveAtomically(fs_, store_, "new content");
  EXPECT_NE(status.message.find("No space left"), std::string::npos);
  EXPECT_EQ(fs_.Calls(Step::Remove), 1);
  EXPECT_EQ(testing::ReadFileText(store_), "old");
}

TEST_F(AtomicSaveTest, RealFailureWhenTheFolderIsAFile) {
  testing::WriteFileText(dir_.File("Vantok"), "a file where the folder should be");
  const FsStatus status = SaveAtomically(fs_, dir_.File("Vantok/Horalux.reg"), "x");
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.message.find("Not a directory"), std::string::npos) << status.message;
}

TEST(StoreFileSystem, ReadsRegularFilesOnly) {
  testing::ScopedTempDir dir;
  auto fs = NewDefaultStoreFileSystem();
  std::string content = "untouched";
  EXPECT_TRUE(fs->ReadFile(dir.File("missing"), 100, &content).notFound());

  FsStatus status = fs->ReadFile(dir.Path(), 100, &content);
  EXPECT_FALSE(status.ok() || status.notFound());

  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  status = fs->ReadFile(fifo, 100, &content);  // must neither block nor succeed
  EXPECT_FALSE(status.ok() || status.notFound());

  testing::WriteFileText(dir.File("big"), std::string(101, 'x'));
  EXPECT_FALSE(fs->ReadFile(dir.File("big"), 100, &content).ok());
  ASSERT_TRUE(fs->ReadFile(dir.File("big"), 101, &content).ok());
  EXPECT_EQ(content.size(), 101u);
}

TEST(StoreFileSystem, CreatesNestedFoldersForTheOwnerOnly) {
  testing::ScopedTempDir dir;
  auto fs = NewDefaultStoreFileSystem();
  const std::string folder = dir.File("a/b/c");
  ASSERT_TRUE(fs->CreateFolders(folder).ok());
  ASSERT_TRUE(fs->CreateFolders(folder).ok());
  EXPECT_EQ(ModeOf(dir.File("a")), 0700u);
  EXPECT_EQ(ModeOf(folder), 0700u);
  testing::WriteFileText(dir.File("file"), "");
  EXPECT_FALSE(fs->CreateFolders(dir.File("file")).ok());
  EXPECT_FALSE(fs->CreateFolders(dir.File("file/sub")).ok());
}

}  // namespace
}  // namespace horalux
