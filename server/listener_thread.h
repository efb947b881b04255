// TIdListenerThread: accepts the connections of one binding of a server, one per step.
// Each step takes a parked peer thread from the server's thread manager, accepts a
// connection into it and launches it; over MaxConnections the connection is refused
// (MaxConnectionReply, then closed) and the same parked peer waits for the next one.
// When the listening socket is closed the step hands the peer back and stops the
// listener.
//
// A failed step is reported through the server's OnListenException and followed by a
// pause (ListenRetryPause, doubling up to ListenRetryPauseMax while failures repeat), so
// that a lasting failure such as "too many open files" does not spin the processor.
// Stop cuts the pause short.
//
// Thread-safety: Stop may be called from any thread; the rest runs on the listener.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "server/id_thread.h"
#include "stack/socket_handle.h"

namespace horalux {

class TIdPeerThread;
class TIdTCPServer;

class TIdListenerThread : public TIdThread {
 public:
  TIdListenerThread(TIdTCPServer& server, TIdSocketHandle& binding);

  TIdSocketHandle& ListenBinding() const noexcept { return binding_; }
  TIdTCPServer& OwnerServer() const noexcept { return server_; }

  // Asks the end, ends a pause under way and closes the listening socket, which makes a
  // pending accept return without a connection. The owner joins the thread afterwards.
  void Stop();

 protected:
  void LoopStep() override;
  // Closes the listening socket unless it is closed already.
  void FinishLoop() override;

 private:
  TIdPeerThread& AcquirePeer();
  // Accepts into the peer until one connection may be served; false when the listening
  // socket was closed.
  bool AcceptServable(TIdPeerThread& peer);
  bool AcceptInto(TIdPeerThread& peer);
  bool ServerFull(const TIdPeerThread& peer);
  void Refuse(TIdPeerThread& peer);
  void GiveBackUnlaunched(TIdPeerThread* peer);
  void PauseAfterFailure();

  TIdTCPServer& server_;
  TIdSocketHandle& binding_;
  std::mutex pauseLock_;
  std::condition_variable pauseCut_;
  std::chrono::milliseconds nextPause_{0};  // 0: the last step did not fail
};

}  // namespace horalux
