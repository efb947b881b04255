// TIdSocketHandle: one socket with its local and peer binding, and TIdSocketHandles, the
// server's collection of bindings. Every socket call goes through SharedStack.
//
// Thread-safety: one thread uses a handle at a time, except that another thread may
// close it (CloseBinding) to stop a wait on it: a pending accept then returns false and
// a pending wait or receive ends. `hasSocket` is atomic for exactly that crossing.
#pragma once

#include <atomic>
#include <string>

#include "base/collection.h"
#include "stack/stack.h"

namespace horalux {

class TIdSocketHandle : public TCollectionItem {
 public:
  // Requires: the shared stack has a user (a network component) whenever a socket is open.
  explicit TIdSocketHandle(TCollection* collection = nullptr);
  ~TIdSocketHandle() override;

  // Published settings, in their stored order.
  int ClientPortMin = 0;
  int ClientPortMax = 0;
  std::string IP;
  int Port = 0;

  TIdStackSocketHandle socketId() const noexcept { return socketId_; }
  bool HasSocket() const noexcept { return hasSocket_.load(); }
  const std::string& PeerAddress() const noexcept { return peerAddress_; }
  int PeerPort() const noexcept { return peerPortNumber_; }

  // Throws EIdInvalidSocket when no socket can be made.
  void OpenHandle(int socketType = Id_SOCK_STREAM, int protocol = 0);
  // Shuts sending down and closes the socket; results ignored. Bindings keep their values.
  virtual void CloseBinding();
  // The raw connect result to PeerAddress:PeerPort; on success the bindings are refreshed.
  virtual int ConnectPeer(int family = Id_AF_INET);
  virtual int ReceiveDatagram(void* buffer, int length, int flags, std::string& address, int& port);

  // Throws EIdCouldNotBindSocket, EIdInvalidPortRange, EIdCanNotBindPortInRange, or
  // EIdSocketError for any other failure.
  void BindLocal();
  bool TryBindOnce();
  bool BindInPortRange();
  // Throws EIdSocketError.
  void StartListening(int queueLength);
  // False, raising nothing, when the listening socket was closed under the wait.
  // Throws EIdSocketError for other failures.
  bool AcceptFrom(TIdStackSocketHandle listeningSocket);
  // Waits until data can be read or the time-out (ms, or WaitForever) ends. On the main
  // thread with idle processing active the wait is cut into slices with idle steps.
  // Throws EIdConnClosedGracefully when the handle holds no socket.
  bool PollReadable(int timeout);
  int ReceiveInto(void* buffer, int length, int flags = 0);
  int SendFrom(const void* buffer, int length, int flags = 0);
  // Throws EIdSocketError.
  void SetOption(int level, int option, const void* value, int length);
  void SetPeerAddress(const std::string& address, int port);
  // Forgets the socket without closing it; clears the peer part and, if asked, IP and Port.
  void ClearBinding(bool includeLocal);
  // Throw EIdSocketError.
  void RefreshLocalBinding();
  void RefreshPeerBinding();
  void CopyBinding(const TIdSocketHandle& source);
  void Assign(const TCollectionItem& source) override;

 private:
  bool WaitOnce(int timeout);

  TIdStackSocketHandle socketId_ = Id_INVALID_SOCKET;
  std::atomic<bool> hasSocket_{false};
  std::string peerAddress_;
  int peerPortNumber_ = 0;
};

class TIdSocketHandles : public TOwnedCollection {
 public:
  explicit TIdSocketHandles(TComponent* owner) : TOwnedCollection(owner) {}

  int DefaultPort = 0;

  TIdSocketHandle& AddBinding();
  TIdSocketHandle& BindingAt(std::size_t index) const;
};

}  // namespace horalux
