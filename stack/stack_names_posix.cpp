// Name services of the POSIX stack: host names, addresses and services.
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

#include "stack/address_text.h"
#include "stack/exceptions.h"
#include "base/format.h"
#include "stack/int_conversion.h"
#include "stack/messages.h"
#include "stack/native_error_posix.h"
#include "stack/stack_posix.h"

namespace horalux {
namespace {

struct FreeAddrInfo {
  void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddrInfoList = std::unique_ptr<addrinfo, FreeAddrInfo>;

// Raises the lookup failure through the stack's check, as a failed WinSock call would.
[[noreturn]] void RaiseLookupFailure(TIdStack& stack, int result, int savedErrno) {
  posix::SetLastError(posix::WsaCodeOfLookupError(result, savedErrno));
  stack.VerifySocketResult(Id_SOCKET_ERROR);
  stack.ThrowSocketError(stack.SockLastError());  // not reached: the check raises
}

AddrInfoList LookupIPv4(TIdStack& stack, const std::string& hostName) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int result = ::getaddrinfo(hostName.c_str(), nullptr, &hints, &list);
  if (result != 0 || list == nullptr) RaiseLookupFailure(stack, result, errno);
  return AddrInfoList(list);
}

std::string TextOf(const addrinfo& entry) {
  const auto* record = reinterpret_cast<const sockaddr_in*>(entry.ai_addr);
  TIdAddressBytes bytes{};
  std::memcpy(bytes.data(), &record->sin_addr, bytes.size());
  return AddressBytesToText(bytes);
}

// Big enough for every entry of /etc/services.
constexpr std::size_t kServiceBufferSize = 4096;

}  // namespace

void TIdStackBSDBase::RefreshLocalAddresses() {
  addressCache.clear();
  const AddrInfoList list = LookupIPv4(*this, MachineHostName());
  for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
    addressCache.push_back(TextOf(*entry));
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
  return TextOf(*LookupIPv4(*this, hostName));
}

std::string TIdStackBSDBase::MachineHostName() {
  std::array<char, 250> buffer{};
  if (::gethostname(buffer.data(), buffer.size()) != 0) return {};
  buffer.back() = '\0';
  return std::string(buffer.data());
}

std::string TIdStackBSDBase::LookupNameOf(const std::string& address) {
  sockaddr_in record{};
  record.sin_family = AF_INET;
  record.sin_addr.s_addr = AddressValueOf(address);
  std::array<char, NI_MAXHOST> name{};
  const int result = ::getnameinfo(reinterpret_cast<const sockaddr*>(&record), sizeof record,
                                   name.data(), name.size(), nullptr, 0, NI_NAMEREQD);
  if (result != 0) RaiseLookupFailure(*this, result, errno);
  return std::string(name.data());
}

int TIdStackBSDBase::ServicePortOf(const std::string& service) {
  servent entry{};
  servent* found = nullptr;
  std::array<char, kServiceBufferSize> buffer{};
  ::getservbyname_r(service.c_str(), nullptr, &entry, buffer.data(), buffer.size(), &found);
  if (found != nullptr) return ntohs(static_cast<std::uint16_t>(found->s_port));
  if (const auto number = TryStrToInt(service)) return *number;
  throw EIdInvalidServiceName(Fmt(Messages().InvalidServiceName, {service}));
}

std::vector<std::string> TIdStackBSDBase::ServiceNamesOf(int port) {
  servent entry{};
  servent* found = nullptr;
  std::array<char, kServiceBufferSize> buffer{};
  ::getservbyport_r(htons(static_cast<std::uint16_t>(port)), nullptr, &entry, buffer.data(),
                    buffer.size(), &found);
  std::vector<std::string> names;
  if (found == nullptr) return names;
  names.emplace_back(found->s_name);
  for (char** alias = found->s_aliases; alias != nullptr && *alias != nullptr; ++alias) {
    names.emplace_back(*alias);
  }
  return names;
}

}  // namespace horalux
