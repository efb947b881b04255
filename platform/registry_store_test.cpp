// What every system's settings store does alike, run against this system's store (the store
// file on Linux, the registry on Windows). The store file's own behaviour is in
// registry_file_store_posix_test.cpp.
#include "platform/registry_store.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/registry_store_testing.h"

namespace horalux {
namespace {

using testing::Dword;
using testing::Sz;
using Status = RegQueryResult::Status;

class RegistryStoreTest : public ::testing::Test {
 protected:
  std::unique_ptr<RegistryKey> OpenKey() {
    auto key = registry_->Store().CreateKey(registry_->SubKey());
    EXPECT_NE(key, nullptr) << registry_->Store().LastError();
    return key;
  }

  std::unique_ptr<testing::TestRegistry> registry_ = testing::NewTestRegistry();
};

TEST_F(RegistryStoreTest, FirstOpenCreatesAnEmptyKey) {
  ASSERT_FALSE(registry_->KeyExists());
  auto key = OpenKey();
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(registry_->KeyExists());
  EXPECT_EQ(key->Name(), "HKEY_CURRENT_USER\\" + registry_->SubKey());
  EXPECT_EQ(key->QueryValue("Host").status, Status::Missing);
}

TEST_F(RegistryStoreTest, EveryTypeAndSizeReadsBackAsStored) {
  const std::vector<std::pair<std::string, RegValue>> values = {
      {"sz", Sz("a \"quoted\" C:\\path " + EncodeCodePage(u"\u00e4"))},
      {"sz with NUL", {kRegSz, std::string("a\0b\0", 4)}},
      {"sz of size 0", {kRegSz, ""}},
      {"expand", {kRegExpandSz, std::string("%HOME%\0", 7)}},
      {"binary", {kRegBinary, std::string("\0\x01\xff\r\n", 5)}},
      {"long binary", {kRegBinary, std::string(300, '\xa5')}},
      {"dword", Dword(0xfffffffe)},
      {"five-byte dword", {kRegDword, std::string("\1\0\0\0\0", 5)}},
      {"multi", {kRegMultiSz, std::string("a\0b\0\0", 5)}},
      {"qword", {kRegQword, std::string("\1\2\3\4\5\6\7\x08", 8)}},
      {"none", {kRegNone, ""}},
  };
  {
    auto key = OpenKey();
    ASSERT_NE(key, nullptr);
    for (const auto& [name, value] : values) ASSERT_TRUE(key->SetValue(name, value)) << name;
  }
  auto key = OpenKey();
  ASSERT_NE(key, nullptr);
  for (const auto& [name, value] : values) {
    const RegQueryResult result = key->QueryValue(name);
    EXPECT_EQ(result.status, Status::Found) << name;
    EXPECT_EQ(result.value, value) << name;
  }
}

TEST_F(RegistryStoreTest, ARefusedValueLeavesEveryValueAsItWas) {
  registry_->Plant("Host", Sz("old.example"));
  auto key = OpenKey();
  ASSERT_NE(key, nullptr);
  std::size_t refused = 99;
  EXPECT_FALSE(key->SetValues({{"Host", Sz("new.example")},
                               {"Interval", Dword(45)},
                               {registry_->UnstorableValueName(), Dword(1)},
                               {"Start Server", Dword(1)}},
                              &refused));
  EXPECT_EQ(refused, 2u);
  EXPECT_FALSE(registry_->Store().LastError().empty());
  EXPECT_EQ(key->QueryValue("Host").value, Sz("old.example"));
  EXPECT_EQ(key->QueryValue("Interval").status, Status::Missing);
  EXPECT_EQ(key->QueryValue("Start Server").status, Status::Missing);

  ASSERT_TRUE(key->SetValues({{"Host", Sz("new.example")}, {"Interval", Dword(45)}}, &refused));
  EXPECT_EQ(key->QueryValue("Host").value, Sz("new.example"));
  EXPECT_EQ(key->QueryValue("Interval").value, Dword(45));
}

TEST_F(RegistryStoreTest, RefusesKeyNamesWithEmptyPartsOrControlCharacters) {
  for (const std::string_view bad : {"", "\\SOFTWARE", "SOFTWARE\\", "A\\\\B", "A\nB"}) {
    EXPECT_EQ(registry_->Store().CreateKey(bad), nullptr) << bad;
    EXPECT_FALSE(registry_->Store().LastError().empty());
  }
  EXPECT_FALSE(registry_->KeyExists());
}

}  // namespace
}  // namespace horalux
