// Name services and waiting of the WinSock stack: host names, addresses, services, select.
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "stack/address_text.h"
#include "stack/exceptions.h"
#include "base/format.h"
#include "stack/int_conversion.h"
#include "stack/messages.h"
#include "stack/stack_win32.h"
#include "stack/winsock_library_win32.h"

namespace horalux {

TSendFileHook SendFileHook = nullptr;

namespace {

using winsock::Calls;

// A lookup without an answer fails through the stack's check with WinSock's code.
[[noreturn]] void RaiseNoAnswer(TIdStack& stack) {
  stack.VerifySocketResult(Id_SOCKET_ERROR);
  stack.ThrowSocketError(stack.SockLastError());  // not reached: the check raises
}

std::string AddressAt(const hostent& entry, std::size_t index) {
  TIdAddressBytes bytes{};
  std::memcpy(bytes.data(), entry.h_addr_list[index], bytes.size());
  return AddressBytesToText(bytes);
}

const hostent& HostByName(TIdStack& stack, const std::string& name) {
  const hostent* entry = Calls().gethostbyname(name.c_str());
  if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr) {
    RaiseNoAnswer(stack);
  }
  return *entry;
}

// Copies select()'s set back into the caller's list: only the ready sockets remain.
void Refill(TIdSocketList* list, const fd_set& set) {
  if (list == nullptr) return;
  list->assign(set.fd_array, set.fd_array + set.fd_count);
}

void Fill(const TIdSocketList* list, fd_set& set) {
  set.fd_count = 0;
  if (list == nullptr) return;
  for (TIdStackSocketHandle socket : *list) {
    set.fd_array[set.fd_count++] = static_cast<SOCKET>(socket);
  }
}

struct FileHandle {
  explicit FileHandle(HANDLE h) : handle(h) {}
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE handle;
};

std::int64_t TransmitWholeFile(TIdStackSocketHandle socket, const std::string& fileName) {
  const FileHandle file(::CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.handle, &size)) return 0;
  const BOOL sent =
      Calls().TransmitFile(static_cast<SOCKET>(socket), file.handle, 0, 0, nullptr, nullptr, 0);
  return sent ? size.QuadPart : 0;
}

// The file transmission exists on the NT family only; every Windows this runs on is one.
const bool sendFileHookSet = [] {
  SendFileHook = &TransmitWholeFile;
  return true;
}();

}  // namespace

void TIdStackBSDBase::RefreshLocalAddresses() {
  addressCache.clear();
  const hostent& entry = HostByName(*this, MachineHostName());
  for (std::size_t i = 0; entry.h_addr_list[i] != nullptr; ++i) {
    addressCache.push_back(AddressAt(entry, i));
  }
}

std::string TIdStackBSDBase::FirstLocalAddress() {
  const auto& addresses = LocalAddressList();
  return addresses.empty() ? std::string() : addresses.front();
}

const std::vector<std::string>& TIdStackBSDBase::LocalAddressList() {
  RefreshLocalAddresses();
  return addressCache;
}

std::string TIdStackBSDBase::LookupAddressOf(const std::string& hostName) {
  return AddressAt(HostByName(*this, hostName), 0);
}

std::string TIdStackBSDBase::MachineHostName() {
  std::array<char, 250> buffer{};
  if (Calls().gethostname(buffer.data(), static_cast<int>(buffer.size())) != 0) return {};
  buffer.back() = '\0';
  return std::string(buffer.data());
}

std::string TIdStackBSDBase::LookupNameOf(const std::string& address) {
  const unsigned long value = Calls().inet_addr(address.c_str());
  const hostent* entry = Calls().gethostbyaddr(reinterpret_cast<const char*>(&value), 4, AF_INET);
  if (entry == nullptr || entry->h_name == nullptr) RaiseNoAnswer(*this);
  return entry->h_name;
}

int TIdStackBSDBase::ServicePortOf(const std::string& service) {
  if (const servent* found = Calls().getservbyname(service.c_str(), nullptr)) {
    return Calls().ntohs(static_cast<u_short>(found->s_port));
  }
  if (const auto number = TryStrToInt(service)) return *number;
  throw EIdInvalidServiceName(Fmt(Messages().InvalidServiceName, {service}));
}

std::vector<std::string> TIdStackBSDBase::ServiceNamesOf(int port) {
  std::vector<std::string> names;
  const servent* found = Calls().getservbyport(Calls().htons(static_cast<u_short>(port)), nullptr);
  if (found == nullptr) return names;
  names.emplace_back(found->s_name);
  for (char** alias = found->s_aliases; alias != nullptr && *alias != nullptr; ++alias) {
    names.emplace_back(*alias);
  }
  return names;
}

int TIdStackBSDBase::SockWait(TIdSocketList* readList, TIdSocketList* writeList, int timeout,
                              TIdSocketList* errorList) {
  for (const TIdSocketList* list : {readList, writeList, errorList}) {
    if (list != nullptr && list->size() > Id_FD_SETSIZE) {
      throw EIdStackSetSizeExceeded(Messages().SetSizeExceeded);
    }
  }
  static_assert(FD_SETSIZE == Id_FD_SETSIZE);
  fd_set sets[3];
  Fill(readList, sets[0]);
  Fill(writeList, sets[1]);
  Fill(errorList, sets[2]);
  timeval limit{timeout / 1000, (timeout % 1000) * 1000};
  const int result =
      Calls().select(0, &sets[0], &sets[1], &sets[2], timeout == WaitForever ? nullptr : &limit);
  if (result == SOCKET_ERROR) return result;
  Refill(readList, sets[0]);
  Refill(writeList, sets[1]);
  Refill(errorList, sets[2]);
  return result;
}

}  // namespace horalux
