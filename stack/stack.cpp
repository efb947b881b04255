#include "stack/stack.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "stack/address_text.h"
#include "stack/exceptions.h"
#include "base/format.h"
#include "stack/messages.h"
#include "stack/wsa_codes.h"

namespace horalux {
namespace {

// Each thread keeps its own code, so a failure on a server thread never replaces the
// code that the main thread is about to read.
thread_local int lastVerifiedError = 0;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

TIdStackClass StackImplementation = &MakePlatformStack;

std::unique_ptr<TIdStack> MakeSharedStack() { return StackImplementation(); }

std::string TIdStack::SocketErrorText(int code) {
  return Fmt(Messages().SocketError, {code, WSAErrorText(code)});
}

bool TIdStack::VerifySocketResult(std::int64_t result, std::initializer_list<int> tolerated) {
  if (result != Id_SOCKET_ERROR) return false;
  const int code = SockLastError();
  lastVerifiedError = code;
  if (std::find(tolerated.begin(), tolerated.end(), code) != tolerated.end()) return true;
  ThrowSocketError(code);
}

void TIdStack::ThrowSocketError(int code) { throw EIdSocketError(code, SocketErrorText(code)); }

TIdStackSocketHandle TIdStack::OpenSocket(int type, int protocol) {
  const TIdStackSocketHandle socket = SockCreate(Id_AF_INET, type, protocol);
  if (socket == Id_INVALID_SOCKET) throw EIdInvalidSocket(Messages().CannotAllocateSocket);
  return socket;
}

std::string TIdStack::LookupHostAddress(const std::string& host) {
  if (EqualsIgnoringCase(host, "LOCALHOST")) return "127.0.0.1";
  if (IsDottedQuad(host)) return host;
  // Windows' lookup answers an empty name with this machine's own addresses: a run with
  // no host would ask this machine for the time. An empty host is no host, everywhere.
  if (host.empty()) ThrowSocketError(Id_WSAHOST_NOT_FOUND);
  return LookupAddressOf(host);
}

bool TIdStack::IsDottedQuad(std::string_view text) { return IsDottedQuadText(text); }

std::uint32_t TIdStack::AddressValueOf(const std::string& text) {
  const TIdAddressBytes bytes = TextToAddress(text);
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data(), sizeof value);
  return value;
}

int TIdStack::lastSocketError() const noexcept { return lastVerifiedError; }

std::string TIdStack::AddressToText(const TIdAddressBytes& address) {
  return AddressBytesToText(address);
}

TIdAddressBytes TIdStack::TextToAddress(const std::string& text) {
  return TextToAddressBytes(text);
}

}  // namespace horalux
