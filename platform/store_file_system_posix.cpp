#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/store_file_system.h"

namespace horalux {
namespace {

// Captured right after the failing call, before anything else can change errno.
FsStatus Errno(std::string_view what, const std::string& path) {
  const int error = errno;
  std::string message = std::string(what) + " \"" + path + "\": " + std::strerror(error);
  if (error == ENOENT) return FsStatus::Missing(std::move(message));
  return FsStatus::Failure(std::move(message));
}

// Closes a descriptor on every path out of a function.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

class PosixWritableFile : public WritableFile {
 public:
  PosixWritableFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

  FsStatus Append(std::string_view data) override {
    while (!data.empty()) {
      const ssize_t written = ::write(fd_.get(), data.data(), data.size());
      if (written < 0) {
        if (errno == EINTR) continue;
        return Errno("Cannot write", path_);
      }
      data.remove_prefix(static_cast<std::size_t>(written));
    }
    return FsStatus::Success();
  }

  // Writes go straight to the descriptor, so there is no user-space buffer to flush.
  FsStatus Sync() override {
    if (::fsync(fd_.get()) != 0) return Errno("Cannot sync", path_);
    return FsStatus::Success();
  }

  FsStatus Close() override {
    // close() releases the descriptor even when it reports an error; never retry it.
    if (::close(fd_.release()) != 0) return Errno("Cannot close", path_);
    return FsStatus::Success();
  }

 private:
  Descriptor fd_;
  std::string path_;
};

FsStatus ReadAll(int fd, const std::string& path, std::size_t limit, std::string* content) {
  std::vector<char> chunk(std::size_t{64} << 10);
  content->clear();
  for (;;) {
    const ssize_t got = ::read(fd, chunk.data(), chunk.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      return Errno("Cannot read", path);
    }
    if (got == 0) return FsStatus::Success();
    if (content->size() + static_cast<std::size_t>(got) > limit) {
      return FsStatus::Failure("Cannot read \"" + path + "\": file too large");
    }
    content->append(chunk.data(), static_cast<std::size_t>(got));
  }
}

class PosixStoreFileSystem : public StoreFileSystem {
 public:
  FsStatus ReadFile(const std::string& path, std::size_t limit, std::string* content) override {
    // O_NONBLOCK keeps a FIFO planted at the path from blocking the open.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return Errno("Cannot open", path);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return Errno("Cannot inspect", path);
    if (!S_ISREG(info.st_mode)) {
      return FsStatus::Failure("Cannot read \"" + path + "\": not a regular file");
    }
    return ReadAll(fd.get(), path, limit, content);
  }

  FsStatus CreateFolders(const std::string& folder) override {
    // Each prefix ending before a '/' is a parent; EEXIST just means it is already there.
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
      const std::string part = folder.substr(0, end);
      if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
        return Errno("Cannot create folder", part);
      }
      if (end == std::string::npos) break;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return Errno("Cannot create folder", folder);
    if (!S_ISDIR(info.st_mode)) {
      return FsStatus::Failure("Cannot create folder \"" + folder + "\": not a folder");
    }
    return FsStatus::Success();
  }

  FsStatus NewTempFile(const std::string& folder, std::string_view prefix,
                       std::unique_ptr<WritableFile>* file, std::string* path) override {
    std::string name = folder + "/" + std::string(prefix) + "XXXXXX";
    Descriptor fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) return Errno("Cannot create", name);
    // mkostemp already uses 0600; the explicit mode states the contract whatever the umask.
    if (::fchmod(fd.get(), 0600) != 0) {
      FsStatus status = Errno("Cannot set the mode of", name);
      ::unlink(name.c_str());
      return status;
    }
    *file = std::make_unique<PosixWritableFile>(fd.release(), name);
    *path = std::move(name);
    return FsStatus::Success();
  }

  FsStatus RenameFile(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) return Errno("Cannot rename to", to);
    return FsStatus::Success();
  }

  FsStatus SyncFolder(const std::string& folder) override {
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) return Errno("Cannot open folder", folder);
    if (::fsync(fd.get()) != 0) return Errno("Cannot sync folder", folder);
    return FsStatus::Success();
  }

  FsStatus RemoveFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return Errno("Cannot remove", path);
    return FsStatus::Success();
  }
};

}  // namespace

std::unique_ptr<StoreFileSystem> NewDefaultStoreFileSystem() {
  return std::make_unique<PosixStoreFileSystem>();
}

}  // namespace horalux
