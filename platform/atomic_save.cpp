#include "platform/atomic_save.h"

#include <memory>

namespace horalux {
namespace {

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Writes the whole temporary file; the caller removes it when this fails.
FsStatus WriteTemp(WritableFile& file, std::string_view content) {
  FsStatus status = file.Append(content);
  if (status.ok()) status = file.Sync();
  if (status.ok()) status = file.Close();
  return status;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

FsStatus SaveAtomically(StoreFileSystem& fileSystem, const std::string& path,
                        std::string_view content) {
  const std::string folder = FolderOf(path);
  std::unique_ptr<WritableFile> file;
  std::string tempPath;
  FsStatus status = fileSystem.NewTempFile(folder, FileNameOf(path) + ".tmp-", &file, &tempPath);
  if (!status.ok()) return status;

  status = WriteTemp(*file, content);
  file.reset();
  if (status.ok()) status = fileSystem.RenameFile(tempPath, path);
  if (!status.ok()) {
    // The first failure is the one worth reporting; a leftover temporary file only costs
    // space and never shadows the store.
    fileSystem.RemoveFile(tempPath);
    return status;
  }
  return fileSystem.SyncFolder(folder);
}

}  // namespace horalux
