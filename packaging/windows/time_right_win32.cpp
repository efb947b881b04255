// horalux-time-right: lets one account change the system time, or takes that right back.
// The setup program runs it (elevated) when the user asks for it, and its uninstaller runs it
// again only for an account that the setup program itself gave the right to.
//
//   horalux-time-right grant         the account signed in to this session (the one that
//                                    will run Horalux, also when an administrator's
//                                    credentials elevated the setup program)
//   horalux-time-right revoke SID    the account with that SID
//
// Writes one line to standard output: the account's SID, or the reason for a failure.
// Exit status: 0 done, 1 the account held the right already (grant changed nothing),
// 2 failure.

// windows.h first: the others need its types.
#include <windows.h>

#include <ntsecapi.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/system_message_win32.h"

namespace {

constexpr int kDone = 0;
constexpr int kHeldAlready = 1;
constexpr int kFailed = 2;
constexpr wchar_t kRightName[] = L"SeSystemtimePrivilege";

struct LsaCloser {
  void operator()(void* handle) const { ::LsaClose(handle); }
};
using PolicyHandle = std::unique_ptr<void, LsaCloser>;

// Thrown with the text that the caller prints.
struct Failure {
  std::string reason;
};

[[noreturn]] void Fail(const std::string& what, unsigned long error) {
  throw Failure{what + ": " + horalux::SystemMessageText(error)};
}

void CheckStatus(const char* what, NTSTATUS status) {
  if (status != 0) Fail(what, ::LsaNtStatusToWinError(status));
}

LSA_UNICODE_STRING RightName() {
  LSA_UNICODE_STRING name{};
  name.Buffer = const_cast<wchar_t*>(kRightName);
  name.Length = static_cast<USHORT>((sizeof kRightName) - sizeof(wchar_t));
  name.MaximumLength = static_cast<USHORT>(sizeof kRightName);
  return name;
}

PolicyHandle OpenPolicy() {
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE handle = nullptr;
  CheckStatus(
      "opening the local security policy",
      ::LsaOpenPolicy(nullptr, &attributes, POLICY_LOOKUP_NAMES | POLICY_CREATE_ACCOUNT, &handle));
  return PolicyHandle(handle);
}

std::wstring SessionText(WTS_INFO_CLASS what) {
  LPWSTR buffer = nullptr;
  DWORD bytes = 0;
  if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, what, &buffer,
                                     &bytes))
    return {};
  std::wstring text(buffer);
  ::WTSFreeMemory(buffer);
  return text;
}

// The SID of the account signed in to this session, as a byte block.
std::vector<BYTE> SessionUserSid() {
  std::wstring user = SessionText(WTSUserName);
  if (user.empty()) Fail("finding the signed-in account", ::GetLastError());
  const std::wstring domain = SessionText(WTSDomainName);
  if (!domain.empty()) user = domain + L"\\" + user;

  DWORD sidSize = 0, domainSize = 0;
  SID_NAME_USE use{};
  ::LookupAccountNameW(nullptr, user.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
  std::vector<BYTE> sid(sidSize);
  std::vector<wchar_t> domainName(domainSize + 1);
  if (sidSize == 0 || !::LookupAccountNameW(nullptr, user.c_str(), sid.data(), &sidSize,
                                            domainName.data(), &domainSize, &use))
    Fail("looking up the signed-in account", ::GetLastError());
  return sid;
}

std::string SidText(PSID sid) {
  LPSTR text = nullptr;
  if (!::ConvertSidToStringSidA(sid, &text)) Fail("reading the account's SID", ::GetLastError());
  std::string result(text);
  ::LocalFree(text);
  return result;
}

// Only rights given to the account itself count: a right it has through a group is not
// ours to take back, and adding it to the account directly changes nothing it can do.
bool HoldsRight(void* policy, PSID sid) {
  PLSA_UNICODE_STRING rights = nullptr;
  ULONG count = 0;
  const NTSTATUS status = ::LsaEnumerateAccountRights(policy, sid, &rights, &count);
  if (status != 0) return false;  // an account without rights of its own is not listed
  bool held = false;
  for (ULONG i = 0; i < count; ++i)
    held = held || std::wstring(rights[i].Buffer, rights[i].Length / sizeof(wchar_t)) == kRightName;
  ::LsaFreeMemory(rights);
  return held;
}

int Grant() {
  std::vector<BYTE> sid = SessionUserSid();
  const PolicyHandle policy = OpenPolicy();
  std::printf("%s\n", SidText(sid.data()).c_str());
  if (HoldsRight(policy.get(), sid.data())) return kHeldAlready;
  LSA_UNICODE_STRING right = RightName();
  CheckStatus("granting the right", ::LsaAddAccountRights(policy.get(), sid.data(), &right, 1));
  return kDone;
}

int Revoke(const char* sidText) {
  PSID sid = nullptr;
  if (!::ConvertStringSidToSidA(sidText, &sid)) Fail("reading the SID", ::GetLastError());
  const std::unique_ptr<void, decltype(&::LocalFree)> owned(sid, &::LocalFree);
  const PolicyHandle policy = OpenPolicy();
  std::printf("%s\n", SidText(sid).c_str());
  LSA_UNICODE_STRING right = RightName();
  CheckStatus("taking the right back",
              ::LsaRemoveAccountRights(policy.get(), sid, FALSE, &right, 1));
  return kDone;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "grant" && argc == 2) return Grant();
    if (command == "revoke" && argc == 3) return Revoke(argv[2]);
    std::printf("usage: horalux-time-right grant | revoke SID\n");
  } catch (const Failure& failure) {
    std::printf("%s\n", failure.reason.c_str());
  }
  return kFailed;
}
