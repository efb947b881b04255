// The Linux settings store: a file in the registry editor's export format (REGEDIT4 when the
// store is new, else the format it was found in; see regedit_document.h), by default
// $XDG_CONFIG_HOME/Vantok/Horalux.reg, standing in for the current user's registry hive.
//
// Each query reads the file; each set reads it, changes its values and saves at once
// (atomically, mode 0600; see SaveAtomically). Several values set in one call are saved in
// one replace, so a crash leaves all of them old or all of them new. Lines the store does
// not understand are written back as they were, including a whole file that is no export
// at all: its lines are kept and the header and key are added to it. A damaged or
// unreadable file never throws; it is reported.
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

#include "platform/registry_store.h"
#include "platform/store_file_system.h"

namespace horalux {

class RegDocument;

class RegFileStore : public RegistryStore {
 public:
  // A store file larger than this is refused as unreadable instead of being loaded.
  static constexpr std::size_t kMaxFileSize = std::size_t{64} << 20;

  RegFileStore(std::string filePath, std::unique_ptr<StoreFileSystem> fileSystem);
  ~RegFileStore() override;
  RegFileStore(const RegFileStore&) = delete;
  RegFileStore& operator=(const RegFileStore&) = delete;

  // Also creates the folder and the file when they are missing. Returns nullptr as well
  // when the file cannot be read or the new key cannot be saved.
  std::unique_ptr<RegistryKey> CreateKey(std::string_view subKey) override;

  const std::string& FilePath() const noexcept { return filePath_; }

 private:
  friend class RegFileKey;
  // A missing file loads as an empty document; false when the file cannot be read.
  bool Load(RegDocument* document);
  bool Save(const RegDocument& document);

  std::string filePath_;
  std::unique_ptr<StoreFileSystem> fileSystem_;
};

// $XDG_CONFIG_HOME/Vantok/Horalux.reg; XDG_CONFIG_HOME unset, empty or relative means
// $HOME/.config. Empty when no home folder can be found. (Linux.)
std::string DefaultStorePath();

}  // namespace horalux
