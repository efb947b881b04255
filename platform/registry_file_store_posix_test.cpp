#include "platform/registry_file_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <random>

#include "platform/failing_file_system.h"
#include "platform/registry_store_testing.h"
#include "platform/scoped_temp_dir.h"
#include "tests/support/scoped_env.h"

namespace horalux {
namespace {

using testing::FailingFileSystem;
using Status = RegQueryResult::Status;

constexpr std::string_view kSubKey = "SOFTWARE\\Vantok\\Horalux";
const std::string kFourValues =
    "REGEDIT4\n"
    "\n"
    "[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n"
    "\"Host\"=\"time.example\"\n"
    "\"Interval\"=dword:0000012c\n"
    "\"Sync on Startup\"=dword:00000001\n"
    "\"Start Server\"=dword:00000000\n"
    "\n";

using testing::Dword;
using testing::Sz;

class RegFileStoreTest : public ::testing::Test {
 protected:
  // A store like the program's: folder and file do not exist yet.
  std::unique_ptr<RegFileStore> NewStore() {
    auto fs = std::make_unique<FailingFileSystem>();
    fs_ = fs.get();
    return std::make_unique<RegFileStore>(path_, std::move(fs));
  }
  std::string FileText() const { return testing::ReadFileText(path_); }
  void WriteFile(const std::string& text) const {
    ::mkdir(dir_.File("config").c_str(), 0700);
    ::mkdir(dir_.File("config/Vantok").c_str(), 0700);
    testing::WriteFileText(path_, text);
  }

  testing::ScopedTempDir dir_;
  std::string path_ = dir_.File("config/Vantok/Horalux.reg");
  FailingFileSystem* fs_ = nullptr;
};

TEST_F(RegFileStoreTest, FirstOpenCreatesFolderFileAndAnEmptyKey) {
  auto store = NewStore();
  auto key = store->CreateKey(kSubKey);
  ASSERT_NE(key, nullptr) << store->LastError();
  EXPECT_EQ(key->Name(), "HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux");
  EXPECT_EQ(FileText(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n\n");
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(key->QueryValue("Host").status, Status::Missing);
}

TEST_F(RegFileStoreTest, OpeningAnExistingKeyWritesNothing) {
  WriteFile(kFourValues);
  auto store = NewStore();
  ASSERT_NE(store->CreateKey("software\\vantok\\HORALUX"), nullptr);
  EXPECT_EQ(fs_->Calls(FailingFileSystem::Step::NewTemp), 0);
  EXPECT_EQ(FileText(), kFourValues);
}

TEST_F(RegFileStoreTest, FourValuesGiveTheExactFileText) {
  auto store = NewStore();
  auto key = store->CreateKey(kSubKey);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->SetValue("Host", Sz("time.example")));
  ASSERT_TRUE(key->SetValue("Interval", Dword(300)));
  ASSERT_TRUE(key->SetValue("Sync on Startup", Dword(1)));
  ASSERT_TRUE(key->SetValue("Start Server", Dword(0)));
  EXPECT_EQ(FileText(), kFourValues);
  EXPECT_EQ(fs_->Calls(FailingFileSystem::Step::Rename), 5);  // the key, then every set
}

TEST_F(RegFileStoreTest, DamagedValueLineReadsAsUnreadableAndOthersStillRead) {
  WriteFile(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n\"Host\"=\"cut\n"
      "\"Interval\"=dword:0000012c\n\"Start Server\"=-\n");
  auto store = NewStore();
  auto key = store->CreateKey(kSubKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->QueryValue("Host").status, Status::Unreadable);
  EXPECT_EQ(key->QueryValue("Interval").value, Dword(300));
  EXPECT_EQ(key->QueryValue("Start Server").status, Status::Missing);
}

// Cutting a valid store anywhere never turns a value into another value.
TEST_F(RegFileStoreTest, TruncatedStoreNeverReadsAsAnotherValue) {
  const std::vector<std::pair<std::string, RegValue>> original = {{"Host", Sz("time.example")},
                                                                  {"Interval", Dword(300)},
                                                                  {"Sync on Startup", Dword(1)},
                                                                  {"Start Server", Dword(0)}};
  for (std::size_t cut = 0; cut < kFourValues.size(); ++cut) {
    WriteFile(kFourValues.substr(0, cut));
    auto store = NewStore();
    auto key = store->CreateKey(kSubKey);
    ASSERT_NE(key, nullptr) << cut;
    for (const auto& [name, value] : original) {
      const RegQueryResult result = key->QueryValue(name);
      if (result.status == Status::Found) {
        EXPECT_EQ(result.value, value) << name << " " << cut;
      }
    }
  }
}

TEST_F(RegFileStoreTest, BinaryGarbageIsReadWithoutHarmAndKeptOnSave) {
  std::mt19937 random(868);
  for (int round = 0; round < 50; ++round) {
    std::string garbage(static_cast<std::size_t>(random() % 4000), '\0');
    for (char& c : garbage) c = static_cast<char>(random() & 0xff);
    WriteFile(garbage);
    auto store = NewStore();
    auto key = store->CreateKey(kSubKey);
    ASSERT_NE(key, nullptr);
    EXPECT_NE(key->QueryValue("Host").status, Status::Found);
    ASSERT_TRUE(key->SetValue("Host", Sz("h")));
    const std::string text = FileText();
    EXPECT_NE(text.find(garbage), std::string::npos);
    EXPECT_EQ(text.rfind("REGEDIT4", 0), 0u);
    EXPECT_EQ(key->QueryValue("Host").value, Sz("h"));
  }
}

TEST_F(RegFileStoreTest, UnreadableStoreFailsTheOpenAndTheCalls) {
  ASSERT_EQ(::mkdir(dir_.File("config").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(dir_.File("config/Vantok").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(path_.c_str(), 0700), 0);  // a folder where the file should be
  auto store = NewStore();
  EXPECT_EQ(store->CreateKey(kSubKey), nullptr);
  EXPECT_NE(store->LastError().find("not a regular file"), std::string::npos) << store->LastError();
  ASSERT_EQ(::rmdir(path_.c_str()), 0);

  WriteFile(kFourValues);
  auto key = store->CreateKey(kSubKey);
  ASSERT_NE(key, nullptr);
  fs_->FailAt(FailingFileSystem::Step::Read);
  EXPECT_EQ(key->QueryValue("Host").status, Status::Unreadable);
  fs_->FailAt(FailingFileSystem::Step::Read);
  EXPECT_FALSE(key->SetValue("Host", Sz("x")));
  EXPECT_EQ(FileText(), kFourValues);
}

TEST_F(RegFileStoreTest, FolderOccupiedByAFileFailsTheOpenForRootToo) {
  ASSERT_EQ(::mkdir(dir_.File("config").c_str(), 0700), 0);
  testing::WriteFileText(dir_.File("config/Vantok"), "not a folder");
  auto store = NewStore();
  EXPECT_EQ(store->CreateKey(kSubKey), nullptr);
  EXPECT_NE(store->LastError().find("Not a directory"), std::string::npos) << store->LastError();
  EXPECT_EQ(testing::ReadFileText(dir_.File("config/Vantok")), "not a folder");
}

TEST_F(RegFileStoreTest, RefusedOrInterruptedSaveKeepsThePreviousValues) {
  for (const auto mode : {FailingFileSystem::Mode::Refuse, FailingFileSystem::Mode::Crash}) {
    WriteFile(kFourValues);
    auto store = NewStore();
    auto key = store->CreateKey(kSubKey);
    ASSERT_NE(key, nullptr);
    fs_->FailAt(FailingFileSystem::Step::Append, mode);
    EXPECT_FALSE(key->SetValue("Host", Sz("other.example")));
    EXPECT_EQ(FileText(), kFourValues);
    auto fresh = NewStore();
    EXPECT_EQ(fresh->CreateKey(kSubKey)->QueryValue("Host").value, Sz("time.example"));
  }
}

TEST_F(RegFileStoreTest, NewKeyThatCannotBeSavedFailsTheOpen) {
  auto store = NewStore();
  fs_->FailAt(FailingFileSystem::Step::Rename);
  EXPECT_EQ(store->CreateKey(kSubKey), nullptr);
  EXPECT_NE(store->LastError().find("injected"), std::string::npos);
}

TEST_F(RegFileStoreTest, OtherKeysCommentsAndDamagedLinesSurviveASave) {
  const std::string before =
      "REGEDIT4\n\n; note\n[HKEY_CURRENT_USER\\Other]\n\"Host\"=\"x\"\n\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n\"Colour\"=hex:zz\n\n";
  WriteFile(before);
  auto store = NewStore();
  auto key = store->CreateKey(kSubKey);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->SetValue("Host", Sz("h")));
  std::string expected = before;
  expected.insert(expected.size() - 1, "\"Host\"=\"h\"\n");
  EXPECT_EQ(FileText(), expected);
}

// Each ASCII character as one UTF-16LE unit, after a byte-order mark.
std::string Utf16Le(std::string_view ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) bytes += {c, '\0'};
  return bytes;
}

TEST_F(RegFileStoreTest, AUtf16ExportIsTheStoreAndStaysOne) {
  const std::string head =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Vantok\\Horalux]\r\n";
  WriteFile(Utf16Le(head + "\"Host\"=\"time.example\"\r\n\"Interval\"=dword:0000012c\r\n\r\n"));
  auto store = NewStore();
  auto key = store->CreateKey(kSubKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->QueryValue("Host").value, Sz("time.example"));
  ASSERT_TRUE(key->SetValues({{"Host", Sz("other.example")}, {"Interval", Dword(45)}}));
  EXPECT_EQ(FileText(),
            Utf16Le(head + "\"Host\"=\"other.example\"\r\n\"Interval\"=dword:0000002d\r\n\r\n"));
}

using testing::ScopedEnvVar;

TEST(DefaultStorePath, FollowsXdgConfigHomeElseHome) {
  const ScopedEnvVar home("HOME", "/home/someone");
  {
    const ScopedEnvVar config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(DefaultStorePath(), "/cfg/Vantok/Horalux.reg");
  }
  for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/cfg"}) {
    const ScopedEnvVar config("XDG_CONFIG_HOME", ignored);
    EXPECT_EQ(DefaultStorePath(), "/home/someone/.config/Vantok/Horalux.reg");
  }
}

}  // namespace
}  // namespace horalux
