// Text in the registry that the user's code page cannot hold, as an import of a Unicode
// registry export leaves it: the program reads what the code page can say, and a save of
// that reading leaves the stored text whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/code_page.h"
#include "platform/registry_store.h"
#include "platform/registry_store_testing.h"

namespace horalux {
namespace {

using testing::Dword;
using testing::Sz;

const std::wstring kImported = L"zh-\u4e2d-\u00e9.example";

class WideRegistryTest : public ::testing::Test {
 protected:
  // Stores `text` with its NUL as REG_SZ by the wide call, as the registry editor imports it.
  void PlantWide(const wchar_t* name, const std::wstring& text) {
    auto key = Key();
    ASSERT_NE(key, nullptr);
    HKEY handle = nullptr;
    ASSERT_EQ(
        ::RegOpenKeyExA(HKEY_CURRENT_USER, registry->SubKey().c_str(), 0, KEY_SET_VALUE, &handle),
        ERROR_SUCCESS);
    ::RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
  }
  // The stored text as the wide call reads it, without its NUL.
  std::wstring ReadWide(const wchar_t* name) {
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, registry->SubKey().c_str(), 0, KEY_QUERY_VALUE,
                        &handle) != ERROR_SUCCESS) {
      return L"(no key)";
    }
    const LONG result =
        ::RegQueryValueExW(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    ::RegCloseKey(handle);
    return result == ERROR_SUCCESS ? std::wstring(text) : L"(unreadable)";
  }
  std::unique_ptr<RegistryKey> Key() { return registry->Store().CreateKey(registry->SubKey()); }

  std::unique_ptr<testing::TestRegistry> registry = testing::NewTestRegistry();
};

TEST_F(WideRegistryTest, ATextTheCodePageCannotHoldStaysWholeWhenItsReadingIsSavedBack) {
  PlantWide(L"Host", kImported);
  auto key = Key();
  ASSERT_NE(key, nullptr);
  const std::string read = key->QueryValue("Host").value.data;
  // The test prefix's code page (1252) holds U+00E9 but not U+4E2D, nor a look-alike of it.
  ASSERT_EQ(::GetACP(), 1252u);
  EXPECT_EQ(read, "zh-?-" + EncodeCodePage(u"\u00e9") + ".example" + '\0');

  ASSERT_TRUE(key->SetValues({{"Host", {kRegSz, read}}, {"Interval", Dword(45)}}));
  EXPECT_EQ(ReadWide(L"Host"), kImported);
  EXPECT_EQ(key->QueryValue("Interval").value, Dword(45));
  // A host the user changed is the user's, however it was stored before.
  ASSERT_TRUE(key->SetValue("Host", Sz("time.example")));
  EXPECT_EQ(ReadWide(L"Host"), L"time.example");
}

// A refused save puts back every value it wrote as it was, characters beyond the code page
// included.
TEST_F(WideRegistryTest, ARefusedSaveGivesBackTextTheCodePageCannotHold) {
  PlantWide(L"Host", kImported);
  PlantWide(L"Other", kImported);
  auto key = Key();
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(key->SetValues({{"Host", Sz("new.example")},
                               {"Other", Sz("other.example")},
                               {registry->UnstorableValueName(), Dword(1)}}));
  EXPECT_EQ(ReadWide(L"Host"), kImported);
  EXPECT_EQ(ReadWide(L"Other"), kImported);
}

}  // namespace
}  // namespace horalux
