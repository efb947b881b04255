// Test double: the real file system with one chosen step made to fail, either as a
// refused call (the caller goes on and cleans up) or as a crash (that call and every later
// one fail, so the disk is left exactly as a process dying at that point would leave it).
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "platform/store_file_system.h"

namespace horalux::testing {

class FailingFileSystem : public StoreFileSystem {
 public:
  enum class Step { Read, CreateFolders, NewTemp, Append, Sync, Close, Rename, SyncFolder, Remove };
  static constexpr std::size_t kStepCount = 9;
  enum class Mode { Refuse, Crash };

  FailingFileSystem() : real_(NewDefaultStoreFileSystem()) {}

  // The `occurrence`-th call of `step` from now fails (the next one by default). A failing
  // Append writes half of its data first, the way a disk that fills up does.
  void FailAt(Step step, Mode mode = Mode::Refuse, int occurrence = 1) {
    failure_ = {step, mode, occurrence};
  }
  int Calls(Step step) const { return calls_[static_cast<std::size_t>(step)]; }

  FsStatus ReadFile(const std::string& path, std::size_t limit, std::string* content) override;
  FsStatus CreateFolders(const std::string& folder) override;
  FsStatus NewTempFile(const std::string& folder, std::string_view prefix,
                       std::unique_ptr<WritableFile>* file, std::string* path) override;
  FsStatus RenameFile(const std::string& from, const std::string& to) override;
  FsStatus SyncFolder(const std::string& folder) override;
  FsStatus RemoveFile(const std::string& path) override;

  // Counts the call; true when it must fail.
  bool Fails(Step step);

 private:
  struct Failure {
    Step step;
    Mode mode;
    int occurrence;
  };
  std::unique_ptr<StoreFileSystem> real_;
  std::optional<Failure> failure_;
  bool crashed_ = false;
  std::array<int, kStepCount> calls_{};
};

}  // namespace horalux::testing
