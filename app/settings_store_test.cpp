#include "app/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/failing_file_system.h"
#include "platform/scoped_temp_dir.h"

namespace horalux {
namespace {

using testing::FailingFileSystem;

const std::string kHeader = "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n";

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStoreTest() {
    ::mkdir(dir_.File("Vantok").c_str(), 0700);
    auto fs = std::make_unique<FailingFileSystem>();
    fs_ = fs.get();
    store_ = std::make_unique<RegistryStore>(path_, std::move(fs));
  }

  // A store holding these value lines under the settings key.
  void Holding(const std::string& lines) { testing::WriteFileText(path_, kHeader + lines); }
  std::string FileText() const { return testing::ReadFileText(path_); }
  RegValue Raw(std::string_view name) {
    return store_->CreateKey(kSettingsKey)->QueryValue(name).value;
  }

  testing::ScopedTempDir dir_;
  std::string path_ = dir_.File("Vantok/Horalux.reg");
  FailingFileSystem* fs_ = nullptr;
  std::unique_ptr<RegistryStore> store_;
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

TEST_F(SettingsStoreTest, FirstStartCreatesTheEmptyKeyAndReadsAnEmptyHost) {
  SettingsStore settings(*store_);
  EXPECT_TRUE(settings.KeyOpen());
  EXPECT_EQ(FileText(), kHeader + "\n");
  EXPECT_EQ(settings.ReadString(kHostValue), "");
  EXPECT_EQ(FailureOf([&] { settings.ReadInteger(kIntervalValue); }),
            "Konnte Daten für 'Interval' nicht holen");
}

TEST_F(SettingsStoreTest, SavedSettingsReadBack) {
  {
    SettingsStore settings(*store_);
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
  const SettingsStore settings(*store_);
  EXPECT_EQ(settings.ReadString(kHostValue), "time.example");
  EXPECT_EQ(IntervalFromRegistry(settings.ReadInteger(kIntervalValue)), 45);
  EXPECT_FALSE(settings.ReadBool(kSyncOnStartupValue));
  EXPECT_TRUE(settings.ReadBool(kStartServerValue));
}

TEST_F(SettingsStoreTest, StringIsStoredAsRegSzCountingItsNul) {
  SettingsStore settings(*store_);
  settings.WriteString(kHostValue, "time.example");
  EXPECT_EQ(Raw(kHostValue), (RegValue{kRegSz, std::string("time.example\0", 13)}));
  settings.WriteString(kHostValue, "");
  EXPECT_EQ(Raw(kHostValue), (RegValue{kRegSz, std::string(1, '\0')}));
  EXPECT_EQ(settings.ReadString(kHostValue), "");
}

TEST_F(SettingsStoreTest, StringReadsFollowTheRules) {
  Holding(
      "\"Empty\"=\"\"\n"
      "\"Size0\"=hex(1):\n"
      "\"Size0Dword\"=hex(4):\n"
      "\"Expand\"=hex(2):25,48,4f,4d,45,25,00\n"
      "\"Nul\"=hex(1):61,00,62,00\n"
      "\"NoNul\"=hex(1):61,62\n"
      "\"Dword\"=dword:00000001\n"
      "\"Binary\"=hex:61,00\n"
      "\"Damaged\"=\"cut\n");
  const SettingsStore settings(*store_);
  EXPECT_EQ(settings.ReadString("Missing"), "");
  EXPECT_EQ(settings.ReadString("Empty"), "");
  EXPECT_EQ(settings.ReadString("Size0"), "");
  EXPECT_EQ(settings.ReadString("Size0Dword"), "");  // size 0 wins over the type
  EXPECT_EQ(settings.ReadString("Expand"), "%HOME%");
  EXPECT_EQ(settings.ReadString("Nul"), "a");
  EXPECT_EQ(settings.ReadString("NoNul"), "ab");
  EXPECT_EQ(FailureOf([&] { settings.ReadString("Dword"); }), "Ungültiger Datentyp für 'Dword'");
  EXPECT_EQ(FailureOf([&] { settings.ReadString("Binary"); }), "Ungültiger Datentyp für 'Binary'");
  EXPECT_EQ(FailureOf([&] { settings.ReadString("Damaged"); }),
            "Konnte Daten für 'Damaged' nicht holen");
}

TEST_F(SettingsStoreTest, IntegerReadsFollowTheRules) {
  Holding(
      "\"Interval\"=dword:0000012c\n"
      "\"Negative\"=dword:ffffffff\n"
      "\"Short\"=hex(4):2c,01\n"
      "\"FiveBytes\"=hex(4):01,00,00,00,00\n"
      "\"Text\"=\"1\"\n"
      "\"LongText\"=\"3000\"\n"
      "\"Binary\"=hex:01,00,00,00\n"
      "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"Deleted\"=-\n"
      "\"Damaged\"=dword:0000\n");
  const SettingsStore settings(*store_);
  EXPECT_EQ(settings.ReadInteger("Interval"), 300);
  EXPECT_EQ(settings.ReadInteger("Negative"), -1);
  EXPECT_EQ(settings.ReadInteger("Short"), 300);
  for (const char* name : {"Missing", "FiveBytes", "LongText", "Qword", "Deleted", "Damaged"}) {
    EXPECT_EQ(FailureOf([&] { settings.ReadInteger(name); }),
              std::string("Konnte Daten für '") + name + "' nicht holen");
  }
  for (const char* name : {"Text", "Binary"}) {
    EXPECT_EQ(FailureOf([&] { settings.ReadBool(name); }),
              std::string("Ungültiger Datentyp für '") + name + "'");
  }
}

TEST_F(SettingsStoreTest, BooleanIsAnyNonZeroInteger) {
  Holding(
      "\"Zero\"=dword:00000000\n\"One\"=dword:00000001\n\"Two\"=dword:00000002\n"
      "\"High\"=dword:80000000\n");
  const SettingsStore settings(*store_);
  EXPECT_FALSE(settings.ReadBool("Zero"));
  EXPECT_TRUE(settings.ReadBool("One"));
  EXPECT_TRUE(settings.ReadBool("Two"));
  EXPECT_TRUE(settings.ReadBool("High"));
}

TEST_F(SettingsStoreTest, RefusedWriteRaisesAndLeavesTheStoreAsItWas) {
  SettingsStore settings(*store_);
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

TEST_F(SettingsStoreTest, CollectedWritesAreSavedTogetherOrNotAtAll) {
  Holding("\"Host\"=\"old.example\"\n");
  const std::string before = FileText();
  std::vector<std::string> reasons;
  SettingsStore settings(*store_, kSettingsKey,
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

  settings.BeginWrites();  // a name no line can carry is the one reported
  settings.WriteString(kHostValue, "new.example");
  settings.WriteBool("Bad\nName", true);
  EXPECT_EQ(FailureOf([&] { settings.CommitWrites(); }),
            "Konnte Daten für 'Bad\nName' nicht setzen");
  EXPECT_EQ(FileText(), before);

  const int renames = fs_->Calls(FailingFileSystem::Step::Rename);
  saveFour();
  EXPECT_EQ(fs_->Calls(FailingFileSystem::Step::Rename), renames + 1);
  EXPECT_EQ(FileText(), kHeader +
                            "\"Host\"=\"new.example\"\n"
                            "\"Interval\"=dword:0000002d\n"
                            "\"Sync on Startup\"=dword:00000000\n"
                            "\"Start Server\"=dword:00000001\n");
}

TEST_F(SettingsStoreTest, KeyThatCannotBeOpenedReadsAsMissingAndRefusesWrites) {
  testing::ScopedTempDir dir;
  testing::WriteFileText(dir.File("Vantok"), "a file where the folder belongs");
  RegistryStore blocked(dir.File("Vantok/Horalux.reg"), std::make_unique<FailingFileSystem>());
  SettingsStore settings(blocked);
  EXPECT_FALSE(settings.KeyOpen());
  EXPECT_EQ(settings.ReadString(kHostValue), "");
  EXPECT_EQ(FailureOf([&] { settings.ReadInteger(kIntervalValue); }),
            "Konnte Daten für 'Interval' nicht holen");
  EXPECT_EQ(FailureOf([&] { settings.WriteString(kHostValue, "h"); }),
            "Konnte Daten für 'Host' nicht setzen");
}

TEST(IntervalPosition, WidensWithTheSignAndKeepsTheLow16Bits) {
  EXPECT_EQ(static_cast<std::uint32_t>(IntervalToRegistry(-1)), 0xFFFFFFFFu);
  EXPECT_EQ(IntervalFromRegistry(static_cast<std::int32_t>(0xFFFFFFFFu)), -1);
  EXPECT_EQ(IntervalToRegistry(300), 300);
  EXPECT_EQ(IntervalFromRegistry(300), 300);
  EXPECT_EQ(IntervalFromRegistry(70000), 4464);
  EXPECT_EQ(IntervalFromRegistry(0x8000), -32768);
}

}  // namespace
}  // namespace horalux
