// The Windows store under test: the registry itself, with a key of the test's own below
// HKEY_CURRENT_USER\SOFTWARE\Vantok that is deleted, with all it holds, when the test ends.
#include <windows.h>

#include <atomic>

#include "platform/registry_store_testing.h"

namespace horalux::testing {
namespace {

constexpr char kParent[] = "SOFTWARE\\Vantok";

bool UserKeyExists(const std::string& subKey) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

std::string UniqueSubKey() {
  static std::atomic<int> count{0};
  return std::string(kParent) + "\\HoraluxTest-" + std::to_string(::GetCurrentProcessId()) + "-" +
         std::to_string(++count);
}

class TestUserRegistry : public TestRegistry {
 public:
  TestUserRegistry()
      : store_(NewUserRegistryStore()),
        subKey_(UniqueSubKey()),
        parentExisted_(UserKeyExists(kParent)) {}
  ~TestUserRegistry() override {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, subKey_.c_str());
    // Only a parent this test made goes again; a user's own stays, whatever it holds.
    if (!parentExisted_) ::RegDeleteKeyA(HKEY_CURRENT_USER, kParent);
  }
  TestUserRegistry(const TestUserRegistry&) = delete;
  TestUserRegistry& operator=(const TestUserRegistry&) = delete;

  RegistryStore& Store() override { return *store_; }
  const std::string& SubKey() const override { return subKey_; }
  bool KeyExists() const override { return UserKeyExists(subKey_); }
  // Value names have at most 16383 characters.
  std::string UnstorableValueName() const override { return std::string(16384, 'n'); }

 private:
  std::unique_ptr<RegistryStore> store_;
  std::string subKey_;
  bool parentExisted_;
};

}  // namespace

std::unique_ptr<TestRegistry> NewTestRegistry() { return std::make_unique<TestUserRegistry>(); }

}  // namespace horalux::testing
