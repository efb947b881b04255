// The holder is named_mutex_holder.exe, built beside the test program.
#include <windows.h>

#include <stdexcept>

#include "platform/named_mutex_testing.h"

namespace horalux::testing {
namespace {

constexpr char kHolderProgram[] = "named_mutex_holder.exe";

// Closes a handle on every path out of a scope.
class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  HANDLE* out() {
    reset();
    return &handle_;
  }
  void reset() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_;
};

std::string HolderPath() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string own(path, length);
  return own.substr(0, own.find_last_of("\\/") + 1) + kHolderProgram;
}

// A pipe whose end `childEnd` (0 read, 1 write) a new process inherits.
bool MakePipe(Handle& readEnd, Handle& writeEnd, int childEnd) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  if (!::CreatePipe(readEnd.out(), writeEnd.out(), &inherit, 0)) return false;
  HANDLE ours = childEnd == 0 ? writeEnd.get() : readEnd.get();
  return ::SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0) != 0;
}

}  // namespace

std::string UniqueLockName(const std::string& stem) {
  return stem + "." + std::to_string(::GetCurrentProcessId()) + ".OneInstance.Default";
}

ScopedLockPlace::ScopedLockPlace() : folder_("Local") {}
ScopedLockPlace::~ScopedLockPlace() = default;

struct LockHolderProcess::Native {
  Handle process;
  Handle input;  // the holder waits until this pipe ends
};

LockHolderProcess::LockHolderProcess(const std::string& name, const std::function<bool()>& prepare)
    : native_(std::make_unique<Native>()) {
  if (prepare) throw std::invalid_argument("a new Windows process cannot run this one's code");
  Handle inputRead, outputRead, outputWrite;
  if (!MakePipe(inputRead, native_->input, 0) || !MakePipe(outputRead, outputWrite, 1)) return;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inputRead.get();
  startup.hStdOutput = outputWrite.get();
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  std::string commandLine = "\"" + HolderPath() + "\" \"" + name + "\"";
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &started)) {
    return;
  }
  ::CloseHandle(started.hThread);
  *native_->process.out() = started.hProcess;
  outputWrite.reset();  // so that the read below ends when the holder does
  char state = 0;
  DWORD read = 0;
  holding_ = ::ReadFile(outputRead.get(), &state, 1, &read, nullptr) && read == 1 && state == 'y';
}

LockHolderProcess::~LockHolderProcess() { Kill(); }

void LockHolderProcess::Kill() {
  holding_ = false;
  if (native_->process.get() == nullptr) return;
  ::TerminateProcess(native_->process.get(), 1);
  ::WaitForSingleObject(native_->process.get(), INFINITE);
  native_->process.reset();
}

}  // namespace horalux::testing
