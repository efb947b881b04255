// Text in the registry that the user's code page cannot hold, as an import of a Unicode
// registry export leaves it. That a save of what the program read leaves it whole is shown
// through the window's Save button (app/win32/form1_window_test.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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
