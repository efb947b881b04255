// The settings rules against this system's store: the store file on Linux, the registry on
// Windows. What only the store file does is in settings_store_posix_test.cpp.
#include "app/settings_store.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/registry_store_testing.h"
#include "platform/unicode_text.h"

namespace horalux {
namespace {

using testing::Dword;
using testing::Sz;

class SettingsStoreTest : public ::testing::Test {
 protected:
  RegistryStore& Store() { return registry_->Store(); }
  const std::string& Key() const { return registry_->SubKey(); }
  RegValue Raw(std::string_view name) { return Store().CreateKey(Key())->QueryValue(name).value; }

  std::unique_ptr<testing::TestRegistry> registry_ = testing::NewTestRegistry();
};

// Runs `read` and returns the message of the ERegistryException it raises, taken from the
// user's code page (the message's own) to UTF-8.
template <class Read>
std::string FailureOf(Read read) {
  try {
    read();
  } catch (const ERegistryException& error) {
    return Utf16ToUtf8(DecodeCodePage(error.Message()));
  }
  return "(no failure)";
}

TEST_F(SettingsStoreTest, FirstStartCreatesTheEmptyKeyAndReadsAnEmptyHost) {
  TSettingsStore settings(Store(), Key());
  EXPECT_TRUE(settings.KeyOpen());
  EXPECT_TRUE(registry_->KeyExists());
  EXPECT_EQ(settings.ReadString(kHostValue), "");
  EXPECT_EQ(FailureOf([&] { settings.ReadInteger(kIntervalValue); }),
            "Konnte Daten für 'Interval' nicht holen");
}

TEST_F(SettingsStoreTest, SavedSettingsReadBack) {
  {
    TSettingsStore settings(Store(), Key());
    settings.WriteString(kHostValue, "time.example");
    settings.WriteInteger(kIntervalValue, IntervalToRegistry(45));
    settings.WriteBool(kSyncOnStartupValue, false);
    settings.WriteBool(kStartServerValue, true);
  }
  EXPECT_EQ(Raw(kIntervalValue), Dword(45));
  EXPECT_EQ(Raw(kSyncOnStartupValue), Dword(0));
  EXPECT_EQ(Raw(kStartServerValue), Dword(1));
  const TSettingsStore settings(Store(), Key());
  EXPECT_EQ(settings.ReadString(kHostValue), "time.example");
  EXPECT_EQ(IntervalFromRegistry(settings.ReadInteger(kIntervalValue)), 45);
  EXPECT_FALSE(settings.ReadBool(kSyncOnStartupValue));
  EXPECT_TRUE(settings.ReadBool(kStartServerValue));
}

TEST_F(SettingsStoreTest, StringIsStoredAsRegSzCountingItsNul) {
  TSettingsStore settings(Store(), Key());
  settings.WriteString(kHostValue, "time.example");
  EXPECT_EQ(Raw(kHostValue), (RegValue{kRegSz, std::string("time.example\0", 13)}));
  settings.WriteString(kHostValue, "");
  EXPECT_EQ(Raw(kHostValue), (RegValue{kRegSz, std::string(1, '\0')}));
  EXPECT_EQ(settings.ReadString(kHostValue), "");
}

TEST_F(SettingsStoreTest, StringReadsFollowTheRules) {
  registry_->Plant("Empty", Sz(""));
  registry_->Plant("Size0", {kRegSz, ""});
  registry_->Plant("Size0Dword", {kRegDword, ""});
  registry_->Plant("Expand", {kRegExpandSz, std::string("%HOME%\0", 7)});
  registry_->Plant("Nul", {kRegSz, std::string("a\0b\0", 4)});
  registry_->Plant("NoNul", {kRegSz, "ab"});
  registry_->Plant("Dword", Dword(1));
  registry_->Plant("Binary", {kRegBinary, std::string("a\0", 2)});
  const TSettingsStore settings(Store(), Key());
  EXPECT_EQ(settings.ReadString("Missing"), "");
  EXPECT_EQ(settings.ReadString("Empty"), "");
  EXPECT_EQ(settings.ReadString("Size0"), "");
  EXPECT_EQ(settings.ReadString("Size0Dword"), "");  // size 0 wins over the type
  EXPECT_EQ(settings.ReadString("Expand"), "%HOME%");
  EXPECT_EQ(settings.ReadString("Nul"), "a");
  EXPECT_EQ(settings.ReadString("NoNul"), "ab");
  EXPECT_EQ(FailureOf([&] { settings.ReadString("Dword"); }), "Ungültiger Datentyp für 'Dword'");
  EXPECT_EQ(FailureOf([&] { settings.ReadString("Binary"); }), "Ungültiger Datentyp für 'Binary'");
}

TEST_F(SettingsStoreTest, IntegerReadsFollowTheRules) {
  registry_->Plant("Interval", Dword(300));
  registry_->Plant("Negative", Dword(0xffffffff));
  registry_->Plant("Short", {kRegDword, "\x2c\x01"});
  registry_->Plant("FiveBytes", {kRegDword, std::string("\1\0\0\0\0", 5)});
  registry_->Plant("Text", Sz("1"));
  registry_->Plant("LongText", Sz("3000"));
  registry_->Plant("Binary", {kRegBinary, std::string("\1\0\0\0", 4)});
  registry_->Plant("Qword", {kRegQword, std::string("\1\0\0\0\0\0\0\0", 8)});
  const TSettingsStore settings(Store(), Key());
  EXPECT_EQ(settings.ReadInteger("Interval"), 300);
  EXPECT_EQ(settings.ReadInteger("Negative"), -1);
  EXPECT_EQ(settings.ReadInteger("Short"), 300);
  for (const char* name : {"Missing", "FiveBytes", "LongText", "Qword"}) {
    EXPECT_EQ(FailureOf([&] { settings.ReadInteger(name); }),
              std::string("Konnte Daten für '") + name + "' nicht holen");
  }
  for (const char* name : {"Text", "Binary"}) {
    EXPECT_EQ(FailureOf([&] { settings.ReadBool(name); }),
              std::string("Ungültiger Datentyp für '") + name + "'");
  }
}

TEST_F(SettingsStoreTest, BooleanIsAnyNonZeroInteger) {
  registry_->Plant("Zero", Dword(0));
  registry_->Plant("One", Dword(1));
  registry_->Plant("Two", Dword(2));
  registry_->Plant("High", Dword(0x80000000));
  const TSettingsStore settings(Store(), Key());
  EXPECT_FALSE(settings.ReadBool("Zero"));
  EXPECT_TRUE(settings.ReadBool("One"));
  EXPECT_TRUE(settings.ReadBool("Two"));
  EXPECT_TRUE(settings.ReadBool("High"));
}

TEST_F(SettingsStoreTest, CollectedWritesAreSavedTogetherOrNotAtAll) {
  registry_->Plant("Host", Sz("old.example"));
  std::vector<std::string> reasons;
  TSettingsStore settings(Store(), Key(),
                          [&](const std::string& reason) { reasons.push_back(reason); });
  const std::string unstorable = registry_->UnstorableValueName();
  const auto saveFour = [&](std::string_view lastName) {
    settings.BeginWrites();
    settings.WriteString(kHostValue, "new.example");
    settings.WriteInteger(kIntervalValue, 45);
    settings.WriteBool(kSyncOnStartupValue, false);
    settings.WriteBool(lastName, true);
    settings.CommitWrites();
  };
  EXPECT_EQ(FailureOf([&] { saveFour(unstorable); }),
            "Konnte Daten für '" + unstorable + "' nicht setzen");
  ASSERT_EQ(reasons.size(), 1u);
  EXPECT_FALSE(reasons[0].empty());
  EXPECT_EQ(Raw(kHostValue), Sz("old.example"));
  EXPECT_EQ(Raw(kIntervalValue), RegValue{});

  saveFour(kStartServerValue);
  EXPECT_EQ(Raw(kHostValue), Sz("new.example"));
  EXPECT_EQ(Raw(kIntervalValue), Dword(45));
  EXPECT_EQ(Raw(kSyncOnStartupValue), Dword(0));
  EXPECT_EQ(Raw(kStartServerValue), Dword(1));
}

TEST_F(SettingsStoreTest, ARefusedSingleWriteRaisesWithTheValuesName) {
  TSettingsStore settings(Store(), Key(), [](const std::string&) {});
  settings.WriteString(kHostValue, "old.example");
  const std::string unstorable = registry_->UnstorableValueName();
  EXPECT_EQ(FailureOf([&] { settings.WriteInteger(unstorable, 45); }),
            "Konnte Daten für '" + unstorable + "' nicht setzen");
  EXPECT_EQ(settings.ReadString(kHostValue), "old.example");
}

TEST_F(SettingsStoreTest, KeyThatCannotBeOpenedReadsAsMissingAndRefusesWrites) {
  TSettingsStore settings(Store(), "SOFTWARE\\\\Vantok", [](const std::string&) {});
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
