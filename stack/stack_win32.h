// TIdStackWinsock: the stack over WinSock 2.2, loaded at run time from "wsock32.dll".
// Every call goes through an entry point looked up by name when the library is loaded;
// errors are WinSock's own numbers, so they reach the result checks as they are.
//
// Thread-safety: as TIdStack. WinSock keeps the last error per thread, and closing a
// socket from another thread ends a call blocked on it, so nothing here needs a lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "stack/stack.h"

namespace horalux {

class TIdStackWinsock : public TIdStack {
 public:
  // Loads "wsock32.dll" (or reuses it while another stack holds it) and starts it at
  // version 2.2. Throws EIdStackCanNotLoadWinsock when the library cannot be loaded and
  // EIdStackInitializationFailed when it refuses to start; nothing is left behind then.
  TIdStackWinsock();
  // Cancels a blocking call, cleans up and unloads the library.
  ~TIdStackWinsock() override;

  void RefreshLocalAddresses() override;
  std::string FirstLocalAddress() override;
  const std::vector<std::string>& LocalAddressList() override;

  TIdStackSocketHandle SockAccept(TIdStackSocketHandle socket, std::string& address,
                                  int& port) override;
  int SockBind(TIdStackSocketHandle socket, int family, int port,
               const std::string& address) override;
  int SockClose(TIdStackSocketHandle socket) override;
  int SockConnect(TIdStackSocketHandle socket, int family, int port,
                  const std::string& address) override;

  std::string LookupAddressOf(const std::string& hostName) override;
  std::string MachineHostName() override;
  std::string LookupNameOf(const std::string& address) override;
  int ServicePortOf(const std::string& service) override;
  std::vector<std::string> ServiceNamesOf(int port) override;

  std::uint16_t HostToNet16(std::uint16_t value) override;
  int SockListen(TIdStackSocketHandle socket, int queueLength) override;
  std::uint16_t NetToHost16(std::uint16_t value) override;
  std::uint32_t HostToNet32(std::uint32_t value) override;
  std::uint32_t NetToHost32(std::uint32_t value) override;

  int SockReceive(TIdStackSocketHandle socket, void* buffer, int length, int flags) override;
  int SockReceiveFrom(TIdStackSocketHandle socket, void* buffer, int length, int flags,
                      std::string& address, int& port) override;
  int SockWait(TIdSocketList* readList, TIdSocketList* writeList, int timeout,
               TIdSocketList* errorList) override;
  int SockSend(TIdStackSocketHandle socket, const void* buffer, int length, int flags) override;
  int SockSendTo(TIdStackSocketHandle socket, const void* buffer, int length, int flags,
                 const std::string& address, int port) override;
  int SockSetOption(TIdStackSocketHandle socket, int level, int option, const void* value,
                    int length) override;
  TIdStackSocketHandle SockCreate(int family, int type, int protocol) override;
  int SockShutdown(TIdStackSocketHandle socket, int direction) override;

  int SockLastError() override;
  void SockPeerName(TIdStackSocketHandle socket, int& family, int& port,
                    std::string& address) override;
  void SockLocalName(TIdStackSocketHandle socket, int& family, int& port,
                     std::string& address) override;
  int SockGetOption(TIdStackSocketHandle socket, int level, int option, void* value,
                    int& length) override;
};

using TIdStackPlatform = TIdStackWinsock;

// The routine that sends a whole file over a socket with the system's file transmission
// (TransmitFile): the file's size when it was sent, 0 otherwise. Set at start-up on the
// Windows NT family; null elsewhere. Requires: a TIdStackWinsock exists while it runs.
using TSendFileHook = std::int64_t (*)(TIdStackSocketHandle socket, const std::string& fileName);
extern TSendFileHook SendFileHook;

// The name of the library the stack loads; tests may point it elsewhere before the first
// stack is made.
extern std::string WinsockLibraryName;

}  // namespace horalux
