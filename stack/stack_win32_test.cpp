// What only the WinSock stack does: loading its library, the version record, sending a
// file with the system's file transmission.
#include "stack/stack_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "stack/exceptions.h"
#include "tests/support/loopback.h"

namespace horalux {
namespace {

class ScopedLibraryName {
 public:
  explicit ScopedLibraryName(std::string name) : previous_(WinsockLibraryName) {
    WinsockLibraryName = std::move(name);
  }
  ~ScopedLibraryName() { WinsockLibraryName = previous_; }

 private:
  std::string previous_;
};

TEST(StackWinsock, ALibraryThatCannotBeLoadedIsNamedAndLeavesNothingBehind) {
  {
    ScopedLibraryName missing("no-such-winsock.dll");
    try {
      TIdStackWinsock stack;
      FAIL() << "expected EIdStackCanNotLoadWinsock";
    } catch (const EIdStackCanNotLoadWinsock& error) {
      EXPECT_EQ(error.Message(), "no-such-winsock.dll could not be loaded.");
    }
  }
  TIdStackWinsock stack;  // the real library still loads and starts
  EXPECT_EQ(stack.SockClose(stack.OpenSocket(Id_SOCK_STREAM, 0)), 0);
}

class VersionedStack : public TIdStackWinsock {
 public:
  const TIdStackVersion& Version() const { return *versionInfo; }
};

TEST(StackWinsock, TheVersionRecordDescribesWinsockTwoTwo) {
  const VersionedStack stack;
  EXPECT_EQ(stack.Version().grantedVersion, 0x0202);
  EXPECT_GE(stack.Version().highestVersion, 0x0202);
  EXPECT_FALSE(stack.Version().descriptionText.empty());
  EXPECT_EQ(stack.Version().stackName, "Winsock stack");
}

std::string TemporaryFile(const std::string& contents) {
  char folder[MAX_PATH] = {};
  char path[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, folder);
  ::GetTempFileNameA(folder, "hlx", 0, path);
  std::FILE* file = std::fopen(path, "wb");
  std::fwrite(contents.data(), 1, contents.size(), file);
  std::fclose(file);
  return path;
}

TEST(StackWinsock, SendFileHookSendsAWholeFileAndNothingForAMissingOne) {
  ASSERT_NE(SendFileHook, nullptr);
  TIdStackWinsock stack;
  testing::RawListener listener;
  const TIdStackSocketHandle socket = stack.OpenSocket(Id_SOCK_STREAM, 0);
  ASSERT_EQ(stack.SockConnect(socket, Id_AF_INET, listener.Port(), "127.0.0.1"), 0);
  testing::RawFd peer = listener.Accept();
  std::string contents(100000, '\0');
  for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<char>(i * 7);
  const std::string path = TemporaryFile(contents);

  EXPECT_EQ(SendFileHook(socket, path), static_cast<std::int64_t>(contents.size()));
  EXPECT_EQ(SendFileHook(socket, path + ".missing"), 0);
  stack.SockShutdown(socket, Id_SD_SEND);
  EXPECT_EQ(testing::ReadAll(peer.get()), contents);
  stack.SockClose(socket);
  ::DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace horalux
