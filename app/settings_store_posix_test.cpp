// The settings rules where only the store file can show them: its exact text, its damaged
// lines, and its saves failing at every step.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/settings_store.h"
#include "platform/failing_file_system.h"
#include "platform/registry_file_store.h"
#include "platform/scoped_temp_dir.h"

namespace horalux {
namespace {

using testing::FailingFileSystem;

const std::string kHeader = "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n";

class SettingsStoreFileTest : public ::testing::Test {
 protected:
  SettingsStoreFileTest() {
    ::mkdir(dir_.File("Vantok").c_str(), 0700);
    auto fs = std::make_unique<FailingFileSystem>();
    fs_ = fs.get();
    store_ = std::make_unique<RegFileStore>(path_, std::move(fs));
  }

  // A store holding these value lines under the settings key.
  void Holding(const std::string& lines) { testing::WriteFileText(path_, kHeader + lines); }
  std::string FileText() const { return testing::ReadFileText(path_); }

  testing::ScopedTempDir dir_;
  std::string path_ = dir_.File("Vantok/Horalux.reg");
  FailingFileSystem* fs_ = nullptr;
  std::unique_ptr<RegFileStore> store_;
};

// Runs `read` and returns the message of the ERegistryException it raises.
template <class Read>
std::string FailureOf(Read read) {
  try {
    read();
  } catch (const ERegistryException& error) {
    return error.Message();
  }
  return "(no failure)";
}

TEST_F(SettingsStoreFileTest, SavedSettingsGiveTheExportsText) {
  {
    TSettingsStore settings(*store_);
    EXPECT_EQ(FileText(), kHeader + "\n");
    settings.WriteString(kHostValue, "time.example");
    settings.WriteInteger(kIntervalValue, IntervalToRegistry(45));
    settings.WriteBool(kSyncOnStartupValue, false);
    settings.WriteBool(kStartServerValue, true);
  }
  EXPECT_EQ(FileText(), kHeader +
                            "\"Host\"=\"time.example\"\n"
                            "\"Interval\"=dword:0000002d\n"
                            "\"Sync on Startup\"=dword:00000000\n"
                            "\"Start Server\"=dword:00000001\n"
                            "\n");
}

TEST_F(SettingsStoreFileTest, DamagedAndDeletedLinesCannotBeRead) {
  Holding(
      "\"Damaged\"=\"cut\n"
      "\"Deleted\"=-\n"
      "\"DamagedDword\"=dword:0000\n");
  const TSettingsStore settings(*store_);
  EXPECT_EQ(FailureOf([&] { settings.ReadString("Damaged"); }),
            "Konnte Daten für 'Damaged' nicht holen");
  EXPECT_EQ(settings.ReadString("Deleted"), "");
  for (const char* name : {"Deleted", "DamagedDword"}) {
    EXPECT_EQ(FailureOf([&] { settings.ReadInteger(name); }),
              std::string("Konnte Daten für '") + name + "' nicht holen");
  }
}

TEST_F(SettingsStoreFileTest, RefusedWriteRaisesAndLeavesTheStoreAsItWas) {
  TSettingsStore settings(*store_, kSettingsKey, [](const std::string&) {});
  settings.WriteString(kHostValue, "old.example");
  const std::string before = FileText();
  for (const auto step : {FailingFileSystem::Step::Read, FailingFileSystem::Step::Append,
                          FailingFileSystem::Step::Rename}) {
    fs_->FailAt(step);
    EXPECT_EQ(FailureOf([&] { settings.WriteInteger(kIntervalValue, 45); }),
              "Konnte Daten für 'Interval' nicht setzen");
    EXPECT_EQ(FileText(), before);
  }
  fs_->FailAt(FailingFileSystem::Step::Append);
  EXPECT_EQ(FailureOf([&] { settings.WriteString(kHostValue, "new.example"); }),
            "Konnte Daten für 'Host' nicht setzen");
  EXPECT_EQ(settings.ReadString(kHostValue), "old.example");
}

TEST_F(SettingsStoreFileTest, CollectedWritesAreOneReplaceOfTheFile) {
  Holding("\"Host\"=\"old.example\"\n");
  const std::string before = FileText();
  std::vector<std::string> reasons;
  TSettingsStore settings(*store_, kSettingsKey,
                          [&](const std::string& reason) { reasons.push_back(reason); });
  const auto saveFour = [&] {
    settings.BeginWrites();
    settings.WriteString(kHostValue, "new.example");
    settings.WriteInteger(kIntervalValue, 45);
    settings.WriteBool(kSyncOnStartupValue, false);
    settings.WriteBool(kStartServerValue, true);
    settings.CommitWrites();
  };
  fs_->FailAt(FailingFileSystem::Step::Rename);
  EXPECT_EQ(FailureOf(saveFour), "Konnte Daten für 'Host' nicht setzen");
  EXPECT_EQ(FileText(), before);
  ASSERT_EQ(reasons.size(), 1u);
  EXPECT_NE(reasons[0].find(path_), std::string::npos) << reasons[0];

  const int renames = fs_->Calls(FailingFileSystem::Step::Rename);
  saveFour();
  EXPECT_EQ(fs_->Calls(FailingFileSystem::Step::Rename), renames + 1);
}

}  // namespace
}  // namespace horalux
