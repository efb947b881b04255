// TIdTCPServer: while Active, listens on its bindings, accepts TCP connections and serves
// each on a thread of its own. One TIdListenerThread per binding accepts; each accepted
// connection gets a TIdPeerThread from the thread manager, which greets the client, runs
// OnConnect, calls ServeConnection until the connection drops, runs OnDisconnect and
// ends. Descendants replace ServeConnection (the time server answers every connection at
// once); the default runs the command handlers or OnExecute (tcp_server_commands.cpp).
//
// Failures on the server's threads never reach the caller: a failed listener step goes
// to OnListenException (the listener pauses briefly before the next accept, longer while
// the failure repeats); a failure while serving goes to OnException and, unless it is a
// socket error the peer can live with, ends that peer.
//
// Thread-safety: Active, the setters, activation, deactivation and destruction belong to
// one thread (the main thread) and must not run on a listener or peer of this server.
// The other settings are configuration: set them while inactive; listeners and peers
// read them without locks while active. Events run on listener and peer threads,
// concurrently with each other and the main thread, on stacks of TThread::StackBytes
// (256 KiB). While deactivation waits for the peers it carries out no RunOnMainThread
// request: a handler that waits for the main thread then keeps its peer alive until the
// wait times out (posting without waiting does not). Locks, when nested: the
// notification queue's, then the manager's LiveThreads; the listener list alone.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "net/id_component.h"
#include "server/command_handler.h"
#include "server/listen_queue.h"
#include "server/locked_list.h"
#include "server/peer_thread.h"
#include "server/rfc_reply.h"
#include "server/server_intercept.h"
#include "server/server_io_handler.h"
#include "server/thread_mgr.h"
#include "stack/socket_handle.h"

namespace horalux {

class TIdListenerThread;
class TIdTCPServer;

// rsTrue sets address reuse on every listening socket, rsFalse never; rsOSDependent
// follows the platform's convention for servers (on Linux: set, so that a server switched
// off and on again can bind its port while the old connections linger in TIME_WAIT).
enum TIdReuseSocket { rsOSDependent, rsTrue, rsFalse };

using TIdServerThreadEvent = std::function<void(TIdPeerThread& AThread)>;
using TIdServerThreadExceptionEvent =
    std::function<void(TIdPeerThread& AThread, const std::exception& AException)>;
using TIdListenExceptionEvent =
    std::function<void(TIdListenerThread& AThread, const std::exception& AException)>;
using TIdBeforeCommandHandlerEvent =
    std::function<void(TIdTCPServer& ASender, const std::string& AData, TIdPeerThread& AThread)>;
using TIdAfterCommandHandlerEvent =
    std::function<void(TIdTCPServer& ASender, TIdPeerThread& AThread)>;
using TIdNoCommandHandlerEvent = TIdBeforeCommandHandlerEvent;

class TIdTCPServer : public TIdComponent {
 public:
  explicit TIdTCPServer(TComponent* owner = nullptr);
  // Deactivates and never throws. A deactivation that times out is swallowed, and the
  // destructor then waits, without limit, for the peers that outlived it: they still use
  // this server and its manager, so destroying either under them is not an option.
  ~TIdTCPServer() override;

  bool Active() const noexcept { return active_; }
  // Activation throws what opening, binding (EIdCouldNotBindSocket) or listening on a
  // binding throws, or std::system_error when a listener thread cannot be made; Active
  // then stays false and nothing keeps running. Deactivation throws
  // EIdTerminateThreadTimeout when peers are still alive after TerminateWaitTime; the
  // listeners are gone by then, Active reads false, and a second deactivation does nothing.
  // It takes at least one TIdThreadMgr::WaitStep. Joining the listeners on the main thread
  // runs work queued for it; what that work throws is raised once deactivation is done.
  void SetActive(bool value);

  TIdSocketHandles& Bindings() noexcept { return bindings_; }
  void SetBindings(const TIdSocketHandles& bindings);  // copies
  TIdCommandHandlers& CommandHandlers() noexcept { return commandHandlers_; }
  bool CommandHandlersEnabled = true;
  int DefaultPort() const noexcept { return bindings_.DefaultPort; }
  void SetDefaultPort(int port) noexcept { bindings_.DefaultPort = port; }
  TIdRFCReply Greeting;
  TIdServerIntercept* Intercept() const noexcept { return intercept_; }
  void SetIntercept(TIdServerIntercept* intercept);  // referenced, not owned
  int ListenQueue = LongestListenQueue();
  TIdRFCReply MaxConnectionReply;
  int MaxConnections = 0;  // 0: no limit; else the most connections served at once
  TIdAfterCommandHandlerEvent OnAfterCommandHandler;
  TIdBeforeCommandHandlerEvent OnBeforeCommandHandler;
  TIdServerThreadEvent OnConnect;
  TIdServerThreadEvent OnExecute;
  TIdServerThreadEvent OnDisconnect;
  TIdServerThreadExceptionEvent OnException;
  TIdListenExceptionEvent OnListenException;
  TIdNoCommandHandlerEvent OnNoCommandHandler;
  int ReplyExceptionCode = 0;
  TIdRFCReply ReplyUnknownCommand;
  TIdReuseSocket ReuseSocket = rsOSDependent;
  int TerminateWaitTime = 5000;  // ms
  // Creates a TIdThreadMgrDefault owned by the server when none is set.
  TIdThreadMgr& ThreadMgr();
  // Referenced, not owned; a manager the server made itself is destroyed first.
  void SetThreadMgr(TIdThreadMgr* mgr);
  TIdServerIOHandler* ServerIOHandler() const noexcept { return serverIOHandler_; }
  void SetServerIOHandler(TIdServerIOHandler* handler);  // as SetThreadMgr

  // Not stored with the component: the first pause after a failed listener step and the
  // longest one it grows to (doubling) while the failures repeat.
  std::chrono::milliseconds ListenRetryPause{50};
  std::chrono::milliseconds ListenRetryPauseMax{1000};

 protected:
  // Writes Greeting (when it has content), then OnConnect. On the peer thread.
  virtual void FireConnect(TIdPeerThread& peer);
  virtual void FireDisconnect(TIdPeerThread& peer);
  // Serves the connection once; false when nothing could serve it. On the peer thread.
  virtual bool ServeConnection(TIdPeerThread& peer);
  void ReportPeerException(TIdPeerThread& peer, const std::exception& error);
  void ReportListenException(TIdListenerThread& listener, const std::exception& error);
  // Closes every peer's socket and waits TerminateWaitTime for the peers to end.
  // Throws EIdTerminateThreadTimeout.
  void ShutDownPeers();
  // Deactivates without throwing and waits for peers that outlived the deactivation.
  // A descendant that overrides ServeConnection calls it first in its own destructor, so
  // that no peer calls into a half-destroyed server.
  void StopServing() noexcept;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TIdPeerThread;
  friend class TIdListenerThread;
  friend class TIdCommandHandler;

  using ListenerList = TLockedList<std::unique_ptr<TIdListenerThread>>;

  void Activate();
  void OpenBindings();
  void StartListener(TIdSocketHandle& binding);
  void Deactivate();
  std::exception_ptr StopListeners();
  void CloseBindings() noexcept;
  void ClosePeerSockets();
  void ReleaseOwnThreadMgr() noexcept;
  bool RouteLine(TIdPeerThread& peer, const std::string& line);
  void NoCommandHandler(TIdPeerThread& peer, const std::string& line);

  bool active_ = false;
  bool peersMayRemain_ = false;  // a shutdown gave up on peers that may still run
  TIdSocketHandles bindings_{this};
  TIdCommandHandlers commandHandlers_{*this};
  TIdServerIntercept* intercept_ = nullptr;
  TIdThreadMgr* threadMgr_ = nullptr;
  bool ownsThreadMgr_ = false;
  TIdServerIOHandler* serverIOHandler_ = nullptr;
  bool ownsServerIOHandler_ = false;
  TIdPeerThreadKind peerKind_{*this};
  std::unique_ptr<ListenerList> listeners_;  // present while active
};

}  // namespace horalux
