// TIdStackBSDBase: the BSD-style socket calls of the stack, which both systems make. They
// are declared once, here, and defined once per system (stack_posix.cpp and its neighbours
// on Linux, stack_win32.cpp and its neighbours on Windows), so that a build holds one
// definition of each. The systems' own classes add only what differs: how the stack
// starts and ends.
//
// Thread-safety: as TIdStack.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stack/stack.h"

namespace horalux {

class TIdStackBSDBase : public TIdStack {
 public:
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
 protected:
  TIdStackBSDBase() = default;
};

}  // namespace horalux
