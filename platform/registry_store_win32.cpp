// The Windows settings store: the registry's HKEY_CURRENT_USER. Values go through the
// wide calls, and text values are converted here between UTF-16 and the user's code page,
// the program's own 8-bit text (code_page.h): the ANSI calls would do the same, but would
// neither say when a stored text holds characters that the code page lacks (a value
// imported from a Unicode export, say "zh-\u4e2d.example"), nor keep it. Such a text reads
// with '?' in their place; writing that very text back would store the '?' and lose the
// characters, though nobody changed the value, so a write of exactly what the program read
// leaves such a value as it is.
//
// Saving several values together. The registry changes one value at a time: each
// RegSetValueExW is atomic, a group of them is not. Transacted keys (RegCreateKeyTransacted
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

#include "platform/code_page.h"
#include "platform/registry_store.h"
#include "platform/system_message_win32.h"

namespace horalux {
namespace {

// A value whose size changes under us is read again, a few times at most.
constexpr int kReadAttempts = 4;

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::wstring Wide(std::string_view text) {
  const std::u16string units = DecodeCodePage(text);
  return std::wstring(units.begin(), units.end());
}

// A value as the wide calls hold it: text in UTF-16LE bytes.
struct RawValue {
  LONG result = ERROR_FILE_NOT_FOUND;
  DWORD type = REG_NONE;
  std::string bytes;

  std::u16string Units() const {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return units;
  }
  // What the program reads: text in its code page, other types as they are.
  std::string ProgramData() const { return IsText(type) ? EncodeCodePage(Units()) : bytes; }
  // False for a text that the program's code page cannot hold, or whose bytes are no text.
  bool ReadsWhole() const {
    if (!IsText(type)) return true;
    const std::u16string units = Units();
    return bytes.size() % 2 == 0 && DecodeCodePage(EncodeCodePage(units)) == units;
  }
};

RawValue ReadRaw(HKEY key, const std::wstring& name) {
  RawValue raw;
  DWORD size = 0;
  raw.result = ::RegQueryValueExW(key, name.c_str(), nullptr, &raw.type, nullptr, &size);
  for (int attempt = 0; raw.result == ERROR_SUCCESS && size > 0 && attempt < kReadAttempts;
       ++attempt) {
    raw.bytes.resize(size);
    raw.result = ::RegQueryValueExW(key, name.c_str(), nullptr, &raw.type,
                                    reinterpret_cast<BYTE*>(raw.bytes.data()), &size);
    if (raw.result == ERROR_SUCCESS) {
      raw.bytes.resize(size);
      return raw;
    }
    if (raw.result == ERROR_MORE_DATA) raw.result = ERROR_SUCCESS;
  }
  if (raw.result == ERROR_SUCCESS && raw.bytes.size() != size) raw.result = ERROR_MORE_DATA;
  return raw;
}

LONG WriteRaw(HKEY key, const std::wstring& name, DWORD type, const std::string& bytes) {
  if (bytes.size() > std::numeric_limits<DWORD>::max()) return ERROR_INVALID_PARAMETER;
  return ::RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
}

// The UTF-16LE bytes of program text.
std::string TextBytes(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t unit : DecodeCodePage(text)) {
    bytes += static_cast<char>(unit & 0xff);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

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
  LONG Write(const RegNamedValue& value, const RawValue& before);
  // Puts back what `before` held; a missing value is deleted again.
  void Restore(const std::string& name, const RawValue& before);
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
  const RawValue raw = ReadRaw(key_, Wide(name));
  if (raw.result == ERROR_FILE_NOT_FOUND) return {};
  if (raw.result != ERROR_SUCCESS) {
    RecordFailure(name, raw.result);
    return {RegQueryResult::Status::Unreadable, {}};
  }
  return {RegQueryResult::Status::Found, {raw.type, raw.ProgramData()}};
}

bool SystemRegistryKey::Store(const std::vector<RegNamedValue>& values, std::size_t& refused) {
  std::vector<RawValue> before;
  before.reserve(values.size());
  for (const RegNamedValue& value : values) before.push_back(ReadRaw(key_, Wide(value.name)));
  for (std::size_t index = 0; index < values.size(); ++index) {
    const LONG result = Write(values[index], before[index]);
    if (result == ERROR_SUCCESS) continue;
    RecordFailure(values[index].name, result);
    refused = index;
    while (index-- > 0) Restore(values[index].name, before[index]);
    return false;
  }
  return true;
}

LONG SystemRegistryKey::Write(const RegNamedValue& value, const RawValue& before) {
  const RegValue& data = value.value;
  const bool unchanged = before.result == ERROR_SUCCESS && before.type == data.type &&
                         before.ProgramData() == data.data;
  if (unchanged && !before.ReadsWhole()) return ERROR_SUCCESS;  // what it holds beyond that stays
  return WriteRaw(key_, Wide(value.name), data.type,
                  IsText(data.type) ? TextBytes(data.data) : data.data);
}

void SystemRegistryKey::Restore(const std::string& name, const RawValue& before) {
  // The refusal's reason stays the one reported; a failing restore has nothing to add.
  if (before.result == ERROR_SUCCESS) {
    WriteRaw(key_, Wide(name), before.type, before.bytes);
  } else if (before.result == ERROR_FILE_NOT_FOUND) {
    ::RegDeleteValueW(key_, Wide(name).c_str());
  }  // otherwise what it held is unknown
}

}  // namespace

std::unique_ptr<RegistryStore> NewUserRegistryStore() { return std::make_unique<SystemRegistry>(); }

}  // namespace horalux
