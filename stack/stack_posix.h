// The stack over BSD sockets (Linux). Descriptors live in the process's socket table
// (socket_table_posix.h); every failure is recorded in WinSock numbering right after its
// call; send never raises SIGPIPE; interrupted calls are resumed.
#pragma once

#include "stack/stack.h"

namespace horalux {

class TIdStackPosix : public TIdStack {
 public:
  TIdStackPosix();

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

using TIdStackPlatform = TIdStackPosix;

}  // namespace horalux
