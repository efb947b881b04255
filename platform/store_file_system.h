// The file-system steps that reading and atomically replacing the settings store need,
// behind one narrow interface so that tests can make any single step fail (root bypasses
// permissions, so a read-only folder is no way to make a real save fail).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace horalux {

// Outcome of one file-system step. `message` carries the system's reason on failure.
struct FsStatus {
  enum class Code { Ok, NotFound, Failed };
  Code code = Code::Ok;
  std::string message;

  bool ok() const noexcept { return code == Code::Ok; }
  bool notFound() const noexcept { return code == Code::NotFound; }
  static FsStatus Success() { return {}; }
  static FsStatus Missing(std::string why) { return {Code::NotFound, std::move(why)}; }
  static FsStatus Failure(std::string why) { return {Code::Failed, std::move(why)}; }
};

// A new file being written. Destroying it closes it if Close() was not called; it never
// removes the file (the caller decides).
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual FsStatus Append(std::string_view data) = 0;
  // Pushes everything appended so far to the device (flush and fsync).
  virtual FsStatus Sync() = 0;
  virtual FsStatus Close() = 0;
};

// Not thread-safe by itself; each store uses its own instance from one thread.
class StoreFileSystem {
 public:
  virtual ~StoreFileSystem() = default;

  // Whole content of a regular file; NotFound when it does not exist. Files larger than
  // `limit` bytes fail rather than exhaust memory.
  virtual FsStatus ReadFile(const std::string& path, std::size_t limit, std::string* content) = 0;
  // Creates `folder` and its missing parents, readable by the owner only.
  virtual FsStatus CreateFolders(const std::string& folder) = 0;
  // Creates a new, uniquely named file in `folder` with mode 0600; `*path` receives its name.
  virtual FsStatus NewTempFile(const std::string& folder, std::string_view prefix,
                               std::unique_ptr<WritableFile>* file, std::string* path) = 0;
  // Replaces `to` with `from` in one step.
  virtual FsStatus RenameFile(const std::string& from, const std::string& to) = 0;
  // Makes the folder's entries (a rename within it) durable.
  virtual FsStatus SyncFolder(const std::string& folder) = 0;
  virtual FsStatus RemoveFile(const std::string& path) = 0;
};

// The operating system's file system.
std::unique_ptr<StoreFileSystem> NewDefaultStoreFileSystem();

}  // namespace horalux
