// The per-user settings store as the program's registry calls see it: create-or-open a key
// under the current user, query a value, set values. Each system has its own, made by
// NewUserRegistryStore(): on Windows the registry itself (HKEY_CURRENT_USER), on Linux a file
// in the registry editor's export format (registry_file_store.h). Key paths, value names,
// value types and bytes are the registry's on both, so the program's reading and writing
// rules hold the same way everywhere.
//
// Every call works on the store as it is now: a query sees what another program wrote a
// moment ago. Calls never throw for system failures; they report them (nullptr, Unreadable,
// false) and LastError() says why.
//
// Not thread-safe: one thread uses a store and its keys.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reg_value.h"

namespace horalux {

class RegistryKey;

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  // Opens `subKey` (e.g. "SOFTWARE\Vantok\Horalux") under the current user with full
  // access, creating it empty when it is missing. Returns nullptr when it can be neither
  // opened nor created, and when `subKey` is no valid key name (IsValidSubKey).
  // The key refers to this store, which must outlive it.
  virtual std::unique_ptr<RegistryKey> CreateKey(std::string_view subKey) = 0;

  // The system's reason for the last failed call, for diagnostics.
  const std::string& LastError() const noexcept { return lastError_; }

 protected:
  void RecordFailure(std::string reason) { lastError_ = std::move(reason); }

 private:
  std::string lastError_;
};

struct RegQueryResult {
  enum class Status {
    Found,       // `value` holds type and bytes
    Missing,     // no such value (or, in a store file, a deletion line)
    Unreadable,  // the value exists but cannot be read (a damaged line, an unreadable store)
  };
  Status status = Status::Missing;
  RegValue value;
};

struct RegNamedValue {
  std::string name;
  RegValue value;
};

// An open key of a RegistryStore.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  virtual RegQueryResult QueryValue(std::string_view name) const = 0;

  // Stores `value` under `name`. False when the store refuses; the value is then as before.
  bool SetValue(std::string_view name, const RegValue& value) {
    return SetValues({{std::string(name), value}});
  }
  // Stores every value, in order. False when the store refuses one of them: the key then
  // holds the values it held before, and `refused` (when given) receives the index of the
  // refused value, or 0 when the store as a whole refused. What a crash in the middle leaves
  // is each store's own (see there).
  bool SetValues(const std::vector<RegNamedValue>& values, std::size_t* refused = nullptr) {
    std::size_t index = 0;
    const bool stored = Store(values, index);
    if (refused != nullptr) *refused = stored ? 0 : index;
    return stored;
  }

  // The key's full name, "HKEY_CURRENT_USER\..." as a registry export writes it.
  const std::string& Name() const noexcept { return name_; }

 protected:
  explicit RegistryKey(std::string name) : name_(std::move(name)) {}

 private:
  // SetValues without the optional out-parameter: `refused` is set on failure.
  virtual bool Store(const std::vector<RegNamedValue>& values, std::size_t& refused) = 0;

  std::string name_;
};

// "HKEY_CURRENT_USER\" + subKey.
std::string UserKeyName(std::string_view subKey);

// Not empty, no empty part (no leading, trailing or doubled backslash), no control
// character. Both stores refuse other names, so that a name means the same key on both.
bool IsValidSubKey(std::string_view subKey);

// The current user's store: the registry on Windows; on Linux the store file at
// DefaultStorePath() on the real file system.
std::unique_ptr<RegistryStore> NewUserRegistryStore();

}  // namespace horalux
