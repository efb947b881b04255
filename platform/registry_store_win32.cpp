// The Windows settings store: the registry's HKEY_CURRENT_USER through its ANSI calls, which
// hand text values over in the user's code page, the program's own 8-bit text.
//
// Saving several values together. The registry changes one value at a time: each
// RegSetValueExA is atomic, a group of them is not. Transacted keys (RegCreateKeyTransacted
// with the Kernel Transaction Manager, Vista and later) would make a group atomic, but
// Microsoft discourages them for new code and Wine does not implement them
// (RegCreateKeyTransactedA answers ERROR_CALL_NOT_IMPLEMENTED), so no test here could show
// them working. Writing a fresh key and renaming it over the old one cannot be done either:
// no key can be renamed onto an existing one, and deleting the old one first leaves a moment
// with no settings at all and drops whatever else the key holds. So the values are written
// one by one, and when the registry refuses one, those written before it get their old
// contents back (a value that was missing is deleted again): a refused save changes nothing,
// as SetValues promises. A process killed in the microseconds between two writes still
// leaves the earlier values new and the later ones old; the system writes the hive to disk
// later and as a whole, so a power loss splits them only when that flush falls into those
// microseconds.
#include <windows.h>

#include <limits>

#include "platform/registry_store.h"
#include "platform/system_message_win32.h"

namespace horalux {
namespace {

// A value whose size changes under us is read again, a few times at most.
constexpr int kReadAttempts = 4;

class SystemRegistryKey;

class SystemRegistry : public RegistryStore {
 public:
  std::unique_ptr<RegistryKey> CreateKey(std::string_view subKey) override;

 private:
  friend class SystemRegistryKey;
};

class SystemRegistryKey : public RegistryKey {
 public:
  SystemRegistryKey(SystemRegistry& store, HKEY key, std::string name)
      : RegistryKey(std::move(name)), store_(store), key_(key) {}
  ~SystemRegistryKey() override { ::RegCloseKey(key_); }

  RegQueryResult QueryValue(std::string_view name) const override;

 private:
  bool Store(const std::vector<RegNamedValue>& values, std::size_t& refused) override;
  LONG Write(const RegNamedValue& value);
  // Puts back what `before` says the value held; a missing value is deleted again.
  void Restore(const std::string& name, const RegQueryResult& before);
  void RecordFailure(std::string_view valueName, LONG error) const {
    store_.RecordFailure(Name() + "\\" + std::string(valueName) + ": " + SystemMessageText(error));
  }

  SystemRegistry& store_;
  HKEY key_;
};

std::unique_ptr<RegistryKey> SystemRegistry::CreateKey(std::string_view subKey) {
  if (!IsValidSubKey(subKey)) {
    RecordFailure("Invalid key name \"" + std::string(subKey) + "\"");
    return nullptr;
  }
  const std::string name = UserKeyName(subKey);
  HKEY key = nullptr;
  const LONG result =
      ::RegCreateKeyExA(HKEY_CURRENT_USER, std::string(subKey).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) {
    RecordFailure(name + ": " + SystemMessageText(result));
    return nullptr;
  }
  return std::make_unique<SystemRegistryKey>(*this, key, name);
}

RegQueryResult SystemRegistryKey::QueryValue(std::string_view name) const {
  const std::string valueName(name);
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG result = ::RegQueryValueExA(key_, valueName.c_str(), nullptr, &type, nullptr, &size);
  // The size asked for first may be that of the stored UTF-16 text, more than its 8-bit
  // form needs; the read says how much it gave.
  std::string data;
  for (int attempt = 0; result == ERROR_SUCCESS && size > 0 && attempt < kReadAttempts; ++attempt) {
    data.resize(size);
    result = ::RegQueryValueExA(key_, valueName.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(data.data()), &size);
    if (result == ERROR_SUCCESS) {
      data.resize(size);
      break;
    }
    if (result == ERROR_MORE_DATA) result = ERROR_SUCCESS;
  }
  if (result == ERROR_FILE_NOT_FOUND) return {};
  if (result != ERROR_SUCCESS || data.size() != size) {
    RecordFailure(name, result == ERROR_SUCCESS ? ERROR_MORE_DATA : result);
    return {RegQueryResult::Status::Unreadable, {}};
  }
  return {RegQueryResult::Status::Found, {type, std::move(data)}};
}

bool SystemRegistryKey::Store(const std::vector<RegNamedValue>& values, std::size_t& refused) {
  std::vector<RegQueryResult> before;
  before.reserve(values.size());
  for (const RegNamedValue& value : values) before.push_back(QueryValue(value.name));
  for (std::size_t index = 0; index < values.size(); ++index) {
    const LONG result = Write(values[index]);
    if (result == ERROR_SUCCESS) continue;
    RecordFailure(values[index].name, result);
    refused = index;
    while (index-- > 0) Restore(values[index].name, before[index]);
    return false;
  }
  return true;
}

LONG SystemRegistryKey::Write(const RegNamedValue& value) {
  const std::string& data = value.value.data;
  if (data.size() > std::numeric_limits<DWORD>::max()) return ERROR_INVALID_PARAMETER;
  return ::RegSetValueExA(key_, value.name.c_str(), 0, value.value.type,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
}

void SystemRegistryKey::Restore(const std::string& name, const RegQueryResult& before) {
  // The refusal's reason stays the one reported; a failing restore has nothing to add.
  switch (before.status) {
    case RegQueryResult::Status::Found:
      Write({name, before.value});
      break;
    case RegQueryResult::Status::Missing:
      ::RegDeleteValueA(key_, name.c_str());
      break;
    case RegQueryResult::Status::Unreadable:  // what it held is unknown
      break;
  }
}

}  // namespace

std::unique_ptr<RegistryStore> NewUserRegistryStore() { return std::make_unique<SystemRegistry>(); }

}  // namespace horalux
