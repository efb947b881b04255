#include "platform/foreign_user_testing.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace horalux::testing {
namespace {

void Require(bool done, const std::string& what, const std::string& path) {
  if (!done) throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void SetOrUnset(const char* variable, const std::string& value) {
  value.empty() ? ::unsetenv(variable) : ::setenv(variable, value.c_str(), 1);
}

}  // namespace

uid_t TestUser() { return static_cast<uid_t>(3'000'000 + ::getpid() % 1'000'000); }

std::vector<std::string> PrivateTmpNames(uid_t uid) {
  const std::string stem = "/tmp/horalux-" + std::to_string(uid);
  return {stem, stem + "-1", stem + "-2", stem + "-3"};
}

void PlantFolder(const std::string& path, uid_t owner, mode_t mode) {
  Require(::mkdir(path.c_str(), mode) == 0 && ::chown(path.c_str(), owner, owner) == 0 &&
              ::chmod(path.c_str(), mode) == 0,
          "cannot plant folder", path);
}

void PlantFile(const std::string& path, uid_t owner) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  Require(fd >= 0 && ::close(fd) == 0 && ::chown(path.c_str(), owner, owner) == 0,
          "cannot plant file", path);
}

void PlantSymlink(const std::string& path, const std::string& target, uid_t owner) {
  Require(::symlink(target.c_str(), path.c_str()) == 0 && ::lchown(path.c_str(), owner, owner) == 0,
          "cannot plant link", path);
}

int PlantListeningSocket(const std::string& path, uid_t owner) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  Require(path.size() < sizeof address.sun_path, "too long:", path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  Require(fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
              ::listen(fd, 8) == 0 && ::chown(path.c_str(), owner, owner) == 0 &&
              ::chmod(path.c_str(), 0777) == 0,
          "cannot plant socket", path);
  return fd;
}

bool SomeoneConnected(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, 0) > 0;
}

void RemovePlanted(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

bool BecomeUser(uid_t uid) {
  return ::setgroups(0, nullptr) == 0 && ::setresgid(uid, uid, uid) == 0 &&
         ::setresuid(uid, uid, uid) == 0;
}

std::string RunAsUser(uid_t uid, const std::string& runtimeDir, const std::string& home,
                      const std::function<std::string()>& check) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return "child failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    SetOrUnset("XDG_RUNTIME_DIR", runtimeDir);
    SetOrUnset("HOME", home);
    if (!BecomeUser(uid)) ::_exit(3);
    const std::string result = check();
    const bool written =
        ::write(pipeFds[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
    ::_exit(written ? 0 : 4);
  }
  ::close(pipeFds[1]);
  std::string result;
  char buffer[512];
  for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
    result.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipeFds[0]);
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return "child failed";
  }
  return result;
}

}  // namespace horalux::testing
