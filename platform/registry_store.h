// The per-user settings store that stands in for the current user's registry hive: a file
// in the registry editor's export format (REGEDIT4 when the store is new, else the format
// it was found in; see regedit_document.h), by default $XDG_CONFIG_HOME/Vantok/Horalux.reg.
// It offers what the registry calls of the program do: create-or-open a key, query a value,
// set values.
//
// Like the registry, every call works on the store as it is now: each query reads the file,
// each set reads it, changes its values and saves at once (atomically, mode 0600; see
// SaveAtomically). Several values set in one call are saved in one replace, so a crash
// leaves all of them old or all of them new. Lines the store does not understand are
// written back as they were, including a whole file that is no export at all: its lines
// are kept and the header and key are added to it. Calls never throw for a damaged or
// unreadable file; they report it.
//
// Not thread-safe: one thread uses a store and its keys. Two processes saving at the same
// moment each replace the whole file (the last one wins); the single-instance guard keeps
// the program from doing that.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reg_value.h"
#include "platform/store_file_system.h"

namespace horalux {

class RegDocument;
class RegistryKey;

class RegistryStore {
 public:
  // A store file larger than this is refused as unreadable instead of being loaded.
  static constexpr std::size_t kMaxFileSize = std::size_t{64} << 20;

  // The current user's store at DefaultStorePath() on the real file system.
  RegistryStore();
  RegistryStore(std::string filePath, std::unique_ptr<StoreFileSystem> fileSystem);
  ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  // Opens `subKey` (e.g. "SOFTWARE\Vantok\Horalux") under the current user, creating the
  // folder, the file and the key, as an empty section, when they are missing.
  // Returns nullptr when the file cannot be read or the new key cannot be saved, and when
  // `subKey` is no valid key name (empty parts, control characters).
  // The key refers to this store, which must outlive it.
  std::unique_ptr<RegistryKey> CreateKey(std::string_view subKey);

  const std::string& FilePath() const noexcept { return filePath_; }
  // The system's reason for the last failed call, for diagnostics.
  const std::string& LastError() const noexcept { return lastError_; }

 private:
  friend class RegistryKey;
  // A missing file loads as an empty document; false when the file cannot be read.
  bool Load(RegDocument* document);
  bool Save(const RegDocument& document);

  std::string filePath_;
  std::unique_ptr<StoreFileSystem> fileSystem_;
  std::string lastError_;
};

struct RegQueryResult {
  enum class Status {
    Found,       // `value` holds type and bytes
    Missing,     // no such value (or a deletion line)
    Unreadable,  // the value exists but its line is damaged, or the file cannot be read
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
  RegQueryResult QueryValue(std::string_view name) const;
  // Stores `value` under `name` and saves the file. False when the store refuses: the file
  // cannot be read or saved, or the name holds control characters. The file is then as before.
  bool SetValue(std::string_view name, const RegValue& value);
  // Stores every value, in order, and saves the file once: after a crash it holds either
  // all of them or none. False when the store refuses, the file then as before; `refused`
  // (when given) receives the index of the value whose name cannot be stored, or 0 when
  // the file itself cannot be read or saved.
  bool SetValues(const std::vector<RegNamedValue>& values, std::size_t* refused = nullptr);
  // The key's full name, "HKEY_CURRENT_USER\..." as in its section line.
  const std::string& Name() const noexcept { return name_; }

 private:
  friend class RegistryStore;
  RegistryKey(RegistryStore& store, std::string name) : store_(store), name_(std::move(name)) {}

  RegistryStore& store_;
  std::string name_;
};

// $XDG_CONFIG_HOME/Vantok/Horalux.reg; XDG_CONFIG_HOME unset, empty or relative means
// $HOME/.config. Empty when no home folder can be found.
std::string DefaultStorePath();

}  // namespace horalux
