// TIdStack: every socket operation the network layer needs, as one seam over the
// operating system. The abstract class holds what is the same on every platform
// (result checks, socket errors, host text to address); a platform class implements
// the raw operations. One stack object, SharedStack, serves the whole process while it
// has a user (stack/shared_stack.h), normally a network component.
//
// Thread-safety: the stack holds no lock of its own. Each socket operation is one
// independent platform call; SockLastError and lastSocketError belong to the calling
// thread, so one thread's error code is never replaced by another's. The address cache
// is for one thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace horalux {

// A socket as the platform stack hands it out. Id_INVALID_SOCKET (all bits set) is none.
using TIdStackSocketHandle = std::intptr_t;
inline constexpr TIdStackSocketHandle Id_INVALID_SOCKET = -1;
inline constexpr int Id_SOCKET_ERROR = -1;

// Time-outs in milliseconds, with two reserved values.
inline constexpr int UseDefaultTimeout = -1;
inline constexpr int WaitForever = -2;

// Values passed to the stack; the platform class maps them to its own.
inline constexpr int Id_AF_INET = 2;
inline constexpr int Id_SOCK_STREAM = 1;
inline constexpr int Id_SOCK_DGRAM = 2;
inline constexpr int Id_SOL_SOCKET = 0xffff;
inline constexpr int Id_SO_REUSEADDR = 0x0004;
inline constexpr int Id_IPPROTO_TCP = 6;
inline constexpr int Id_TCP_NODELAY = 0x0001;
inline constexpr int Id_SD_RECEIVE = 0;
inline constexpr int Id_SD_SEND = 1;
inline constexpr int Id_SD_BOTH = 2;

// The most sockets one list of SockWait may hold.
inline constexpr std::size_t Id_FD_SETSIZE = 64;

using TIdSocketList = std::vector<TIdStackSocketHandle>;
using TIdAddressBytes = std::array<std::uint8_t, 4>;

// A description of the platform's socket library. Nothing reads it after it is made.
struct TIdStackVersion {
  virtual ~TIdStackVersion() = default;
  std::int32_t maxDatagramBytes = 0;
  std::int32_t socketLimit = 0;
  std::uint16_t highestVersion = 0;
  std::uint16_t grantedVersion = 0;
  std::string descriptionText;
  std::string statusText;
  std::string stackName;
};

class TIdStack {
 public:
  TIdStack() = default;
  virtual ~TIdStack() = default;
  TIdStack(const TIdStack&) = delete;
  TIdStack& operator=(const TIdStack&) = delete;

  // Local addresses. Throws EIdSocketError when the machine's own name has no answer.
  virtual void RefreshLocalAddresses() = 0;
  virtual std::string FirstLocalAddress() = 0;
  virtual const std::vector<std::string>& LocalAddressList() = 0;

  // Raw socket operations: each returns the platform call's result unchecked (callers
  // verify it); they raise only EConvertError for an address text that is not an address.
  virtual TIdStackSocketHandle SockAccept(TIdStackSocketHandle socket, std::string& address,
                                          int& port) = 0;
  virtual int SockBind(TIdStackSocketHandle socket, int family, int port,
                       const std::string& address) = 0;
  virtual int SockClose(TIdStackSocketHandle socket) = 0;
  virtual int SockConnect(TIdStackSocketHandle socket, int family, int port,
                          const std::string& address) = 0;

  // Name services. Lookups throw EIdSocketError with a lookup code (11001 to 11004).
  virtual std::string LookupAddressOf(const std::string& hostName) = 0;
  virtual std::string MachineHostName() = 0;
  virtual std::string LookupNameOf(const std::string& address) = 0;
  // Throws EIdInvalidServiceName for a text that is neither a known service nor a number.
  virtual int ServicePortOf(const std::string& service) = 0;
  virtual std::vector<std::string> ServiceNamesOf(int port) = 0;

  virtual std::uint16_t HostToNet16(std::uint16_t value) = 0;
  virtual int SockListen(TIdStackSocketHandle socket, int queueLength) = 0;
  virtual std::uint16_t NetToHost16(std::uint16_t value) = 0;
  virtual std::uint32_t HostToNet32(std::uint32_t value) = 0;
  virtual std::uint32_t NetToHost32(std::uint32_t value) = 0;

  virtual int SockReceive(TIdStackSocketHandle socket, void* buffer, int length, int flags) = 0;
  virtual int SockReceiveFrom(TIdStackSocketHandle socket, void* buffer, int length, int flags,
                              std::string& address, int& port) = 0;
  // Waits until a socket of the lists is ready or the time-out (ms, or WaitForever) ends;
  // leaves only the ready sockets in each given list. Returns the number of ready
  // sockets, 0 on time-out, Id_SOCKET_ERROR on failure (unchecked).
  // Throws EIdStackSetSizeExceeded, before waiting, when a list holds more than 64.
  virtual int SockWait(TIdSocketList* readList, TIdSocketList* writeList, int timeout,
                       TIdSocketList* errorList) = 0;
  virtual int SockSend(TIdStackSocketHandle socket, const void* buffer, int length, int flags) = 0;
  virtual int SockSendTo(TIdStackSocketHandle socket, const void* buffer, int length, int flags,
                         const std::string& address, int port) = 0;
  virtual int SockSetOption(TIdStackSocketHandle socket, int level, int option, const void* value,
                            int length) = 0;
  virtual TIdStackSocketHandle SockCreate(int family, int type, int protocol) = 0;
  virtual int SockShutdown(TIdStackSocketHandle socket, int direction) = 0;

  // "Socket Error # <code>\r\n<text>"; the text is empty for a code without one.
  virtual std::string SocketErrorText(int code);
  // The calling thread's last socket error, in WinSock numbering.
  virtual int SockLastError() = 0;
  // Throw EIdSocketError when the platform call fails.
  virtual void SockPeerName(TIdStackSocketHandle socket, int& family, int& port,
                            std::string& address) = 0;
  virtual void SockLocalName(TIdStackSocketHandle socket, int& family, int& port,
                             std::string& address) = 0;
  virtual int SockGetOption(TIdStackSocketHandle socket, int level, int option, void* value,
                            int& length) = 0;
  // Dotted text and bytes, the same on every system.
  virtual std::string AddressToText(const TIdAddressBytes& address);
  // Throws EConvertError when a part of the text is not an integer.
  virtual TIdAddressBytes TextToAddress(const std::string& text);

  // False when result is not Id_SOCKET_ERROR. Otherwise stores the calling thread's last
  // error in lastSocketError and returns true when it is one of `tolerated`.
  // Throws EIdSocketError for any other code.
  bool VerifySocketResult(std::int64_t result, std::initializer_list<int> tolerated = {});
  [[noreturn]] void ThrowSocketError(int code);
  // Throws EIdInvalidSocket "Cannot allocate socket." when no socket can be made.
  TIdStackSocketHandle OpenSocket(int type, int protocol);
  // "LOCALHOST" in any case gives 127.0.0.1; a dotted quad is returned as it is; an empty
  // host throws EIdSocketError 11001 (host not found) without a lookup; anything else is
  // looked up (and may throw EIdSocketError).
  std::string LookupHostAddress(const std::string& host);
  static bool IsDottedQuad(std::string_view text);
  // The four bytes of TextToAddress as one word (network order in memory).
  std::uint32_t AddressValueOf(const std::string& text);
  // The code stored by the calling thread's last failing VerifySocketResult.
  int lastSocketError() const noexcept;

 protected:
  std::unique_ptr<TIdStackVersion> versionInfo;
  std::vector<std::string> addressCache;
};

// The class from which SharedStack is made: a factory, so tests can put a stack with a
// stubbed lookup or a recording wait in its place. Set before the first network
// component exists.
using TIdStackClass = std::unique_ptr<TIdStack> (*)();
extern TIdStackClass StackImplementation;

// This platform's stack.
std::unique_ptr<TIdStack> MakePlatformStack();

std::unique_ptr<TIdStack> MakeSharedStack();

}  // namespace horalux
