// Test helpers for what another local account can do to this user's files. The tests run
// as root: they plant objects owned by another account, and run the code under test in a
// child process as an unprivileged user of their own, whose user id has no account here
// and is unique to the test process, so that nothing real is touched.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace horalux::testing {

// The other account: nobody.
inline constexpr uid_t kOtherUser = 65534;

// The user under test.
uid_t TestUser();
// The /tmp names tried for the private folder of `uid`, in their order.
std::vector<std::string> PrivateTmpNames(uid_t uid);

// Objects at `path` owned by `owner`; each throws std::runtime_error when it cannot.
void PlantFolder(const std::string& path, uid_t owner, mode_t mode);
void PlantFile(const std::string& path, uid_t owner);
void PlantSymlink(const std::string& path, const std::string& target, uid_t owner);
// Returns the listening socket's descriptor; it listens until the caller closes it.
int PlantListeningSocket(const std::string& path, uid_t owner);
// True when someone connected to the listening socket `fd` (it never blocks).
bool SomeoneConnected(int fd);
// Removes `path` with all it holds; nothing when it is missing.
void RemovePlanted(const std::string& path);

// Gives up root for `uid` (group likewise, no supplementary groups) in a child process.
// False when the system refuses.
bool BecomeUser(uid_t uid);

// Runs `check` in a child process as `uid` with XDG_RUNTIME_DIR and HOME set to the given
// values (unset when empty) and returns what it returned, or "child failed".
std::string RunAsUser(uid_t uid, const std::string& runtimeDir, const std::string& home,
                      const std::function<std::string()>& check);

}  // namespace horalux::testing
