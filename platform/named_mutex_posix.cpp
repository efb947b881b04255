#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/named_mutex.h"

namespace horalux {
namespace {

constexpr int kPrivateTmpNames = 4;

std::string SystemReason(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

void AddProblem(std::string& problems, const std::string& problem) {
  if (!problems.empty()) problems += "; ";
  problems += problem;
}

// Closes a descriptor on every path out of a scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// Why `path` may not hold this user's named objects; nullopt when it may. `exactMode`
// asks for mode 0700 exactly (our own folders); otherwise any mode that shuts out group
// and others will do (the session's runtime folder).
std::optional<std::string> RefusalOf(const std::string& path, bool exactMode) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return SystemReason(path, errno);
  if (S_ISLNK(info.st_mode)) return path + ": a symbolic link";
  if (!S_ISDIR(info.st_mode)) return path + ": not a folder";
  if (info.st_uid != ::geteuid()) return path + ": owned by another user";
  const mode_t mode = info.st_mode & 07777;
  if ((mode & 077) != 0) return path + ": open to other users";
  if (exactMode && mode != 0700) return path + ": not mode 0700";
  return std::nullopt;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  std::vector<char> buffer(std::size_t{16} << 10);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') {
    return {};
  }
  return found->pw_dir;
}

// FNV-1a of the host name, as eight hex digits: short and stable.
std::string HostDigest() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  std::uint32_t hash = 2166136261u;
  for (const char* c = host; *c != '\0'; ++c) {
    hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
  }
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(hash));
  return digits;
}

std::vector<std::string> PrivateCandidates() {
  const std::string stem = "/tmp/horalux-" + std::to_string(::geteuid());
  std::vector<std::string> candidates{stem};
  for (int index = 1; index < kPrivateTmpNames; ++index) {
    candidates.push_back(stem + "-" + std::to_string(index));
  }
  if (const std::string home = HomeFolder(); !home.empty()) {
    candidates.push_back(home + "/.cache/horalux-" + HostDigest());
  }
  return candidates;
}

// Makes `path` a new folder of ours; its parent is created as well when it is missing
// (only ~/.cache can be). Whatever was there before is left alone and checked later.
void TryCreateFolder(const std::string& path) {
  const std::string parent = path.substr(0, path.rfind('/'));
  if (!parent.empty()) ::mkdir(parent.c_str(), 0700);
  // An umask of 0277 would leave the new folder unusable; it is ours, so set the mode.
  if (::mkdir(path.c_str(), 0700) == 0) ::chmod(path.c_str(), 0700);
}

// The first candidate that already is ours, or else the first one that can be made ours.
// Looking for ours over the whole list first keeps every instance on the same folder even
// when another account plants or removes something at an earlier name in between.
std::optional<std::string> PrivateFolder(std::string& problems) {
  const std::vector<std::string> candidates = PrivateCandidates();
  for (const std::string& candidate : candidates) {
    if (!RefusalOf(candidate, true)) return candidate;
  }
  for (const std::string& candidate : candidates) {
    TryCreateFolder(candidate);
    const auto refusal = RefusalOf(candidate, true);
    if (!refusal) return candidate;
    AddProblem(problems, *refusal);
  }
  return std::nullopt;
}

std::optional<std::string> RuntimeFolder(std::string& problems) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] == '\0') return std::nullopt;
  if (runtime[0] != '/') {
    AddProblem(problems, std::string(runtime) + ": not an absolute path");
    return std::nullopt;
  }
  const auto refusal = RefusalOf(runtime, false);
  if (refusal) {
    AddProblem(problems, *refusal);
    return std::nullopt;
  }
  return std::string(runtime);
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

int OpenLockFile(const std::string& path) {
  // O_CLOEXEC: a child started later would otherwise inherit the descriptor and keep the
  // lock after this process ends. O_NOFOLLOW: never lock through a link.
  return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

int LockExclusiveNow(int fd) {
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result;
}

}  // namespace

struct NamedMutex::Native {
  Descriptor lockFile;
};

std::string NamedObjectPath(const std::string& folder, std::string_view name) {
  return folder + "/" + EscapedName(name);
}

NamedMutex::NamedMutex(std::string_view name) : native_(std::make_unique<Native>()) {
  std::string problems;
  // The private folder is only looked for (and made) when the runtime folder fails.
  if (const auto runtime = RuntimeFolder(problems); runtime && OpenIn(*runtime, name, problems)) {
    return;
  }
  if (const auto own = PrivateFolder(problems); own && OpenIn(*own, name, problems)) return;
  problem_ = "no private folder for \"" + std::string(name) + "\" (" + problems + ")";
}

bool NamedMutex::OpenIn(const std::string& folder, std::string_view name, std::string& problems) {
  const std::string path = NamedObjectPath(folder, name) + ".lock";
  const int fd = OpenLockFile(path);
  if (fd < 0) {
    AddProblem(problems, SystemReason(path, errno));
    return false;
  }
  native_->lockFile.reset(fd);
  path_ = path;
  folder_ = folder;
  return true;
}

NamedMutex::~NamedMutex() = default;

TLockResult NamedMutex::TryLock() {
  if (native_->lockFile.get() < 0) return TLockResult::Failed;
  if (held_) return TLockResult::Acquired;
  if (LockExclusiveNow(native_->lockFile.get()) == 0) {
    held_ = true;
    return TLockResult::Acquired;
  }
  if (errno == EWOULDBLOCK) return TLockResult::HeldElsewhere;
  problem_ = "cannot lock " + SystemReason(path_, errno);
  return TLockResult::Failed;
}

void NamedMutex::Unlock() {
  if (!held_) return;
  ::flock(native_->lockFile.get(), LOCK_UN);
  held_ = false;
}

}  // namespace horalux
