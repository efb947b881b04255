// The guard between real processes: a second start ends and brings the first one's
// window forward; a first instance that was killed leaves nothing in the way.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace horalux {
namespace {

constexpr const char* kProbeClass = "Horalux.OneInstanceProbe";

// One probe process, its standard output read through a pipe.
class Probe {
 public:
  explicit Probe(const std::string& title) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write = nullptr;
    EXPECT_TRUE(::CreatePipe(&read_, &write, &inherit, 0));
    ::SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::string command = "\"" + ProbePath() + "\" \"" + title + "\"";
    EXPECT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                 nullptr, &startup, &process_));
    ::CloseHandle(write);
  }
  ~Probe() {
    if (process_.hProcess != nullptr) {
      ::TerminateProcess(process_.hProcess, 1);
      ::WaitForSingleObject(process_.hProcess, 10000);
      ::CloseHandle(process_.hProcess);
      ::CloseHandle(process_.hThread);
    }
    ::CloseHandle(read_);
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  // The probe's first line: "first" or "second".
  std::string Line() {
    std::string line;
    char c = 0;
    DWORD got = 0;
    while (::ReadFile(read_, &c, 1, &got, nullptr) && got == 1 && c != '\n') {
      if (c != '\r') line += c;  // standard output in text mode ends lines with CR LF
    }
    return line;
  }
  // The exit code once the probe ended within the limit, else -1.
  long Ended(DWORD limitMs) {
    if (::WaitForSingleObject(process_.hProcess, limitMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }
  void Kill() { ::TerminateProcess(process_.hProcess, 9); }

 private:
  static std::string ProbePath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + HORALUX_ONE_INSTANCE_PROBE;
  }

  HANDLE read_ = nullptr;
  PROCESS_INFORMATION process_{};
};

// Bounded polling: another process's window changes when that process gets to it.
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 200; ++i) {
    if (condition()) return true;
    ::Sleep(25);
  }
  return condition();
}

TEST(OneInstanceProcessTest, ASecondStartEndsAndBringsTheFirstForward) {
  const std::string title = "Horalux.Test." + std::to_string(::GetCurrentProcessId());
  Probe first(title);
  ASSERT_EQ(first.Line(), "first");
  const HWND firstWindow = ::FindWindowA(kProbeClass, title.c_str());
  ASSERT_NE(firstWindow, nullptr);
  EXPECT_FALSE(::IsWindowVisible(firstWindow));

  Probe second(title);
  EXPECT_EQ(second.Line(), "second");
  EXPECT_EQ(second.Ended(20000), 0);
  EXPECT_TRUE(Eventually([&] { return ::IsWindowVisible(firstWindow) != FALSE; }));

  // Another title is another guard.
  Probe other(title + ".Other");
  EXPECT_EQ(other.Line(), "first");

  ::PostMessageA(firstWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.Ended(20000), 0);
}

TEST(OneInstanceProcessTest, AKilledFirstInstanceLeavesTheGuardToTheNextStart) {
  const std::string title = "Horalux.Killed." + std::to_string(::GetCurrentProcessId());
  Probe first(title);
  ASSERT_EQ(first.Line(), "first");
  first.Kill();
  ASSERT_EQ(first.Ended(20000), 9);
  Probe next(title);
  EXPECT_EQ(next.Line(), "first");  // the abandoned guard is taken over
}

}  // namespace
}  // namespace horalux
