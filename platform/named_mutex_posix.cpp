#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace horalux {
namespace {

bool IsDirectory(const char* path) {
  struct stat info {};
  return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

std::string EscapedName(std::string_view name) {
  std::string escaped;
  escaped.reserve(name.size());
  for (const char c : name) {
    if (c == '/') {
      escaped += "%2F";
    } else if (c == '%') {
      escaped += "%25";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// A relative or vanished runtime folder would make every lock fail, and a failed lock
// counts as "another instance runs": fall back to /tmp instead.
const char* RuntimeDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsDirectory(runtime)) return runtime;
  return nullptr;
}

}  // namespace

std::string NamedObjectDirectory() {
  const char* runtime = RuntimeDirectory();
  return runtime != nullptr ? std::string(runtime) : std::string("/tmp");
}

std::string NamedObjectPath(std::string_view name) {
  const char* runtime = RuntimeDirectory();
  if (runtime != nullptr) return std::string(runtime) + "/" + EscapedName(name);
  return "/tmp/" + EscapedName(name) + "." + std::to_string(::getuid());
}

NamedMutex::NamedMutex(std::string_view name) : path_(NamedObjectPath(name) + ".lock") {
  // O_CLOEXEC: a child started later would otherwise inherit the descriptor and keep the
  // lock after this process ends. O_NOFOLLOW: /tmp is shared with other users.
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) error_ = errno;
}

NamedMutex::~NamedMutex() {
  if (fd_ >= 0) ::close(fd_);
}

TLockResult NamedMutex::TryLock() {
  if (fd_ < 0) return TLockResult::Failed;
  if (held_) return TLockResult::Acquired;
  int result;
  do {
    result = ::flock(fd_, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) {
    held_ = true;
    return TLockResult::Acquired;
  }
  error_ = errno;
  return error_ == EWOULDBLOCK ? TLockResult::HeldElsewhere : TLockResult::Failed;
}

void NamedMutex::Unlock() {
  if (!held_) return;
  ::flock(fd_, LOCK_UN);
  held_ = false;
}

}  // namespace horalux
