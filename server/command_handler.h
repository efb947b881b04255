// Command handlers: the general server's way of serving a line protocol. Each line a
// client sends is offered to the handlers in collection order; the first whose Command
// matches takes it, splits its arguments, runs OnCommand with a TIdCommand and sends the
// reply and response lines. Only the server's default ServeConnection uses them.
//
// Thread-safety: handlers are configuration, set while the server is inactive; while it
// is active, peer threads read them concurrently and each TIdCommand belongs to one peer.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/collection.h"
#include "server/rfc_reply.h"

namespace horalux {

class TIdCommandHandler;
class TIdPeerThread;
class TIdTCPServer;

// One line being handled.
class TIdCommand {
 public:
  TIdCommand(TIdCommandHandler& handler, TIdPeerThread& peer, std::string line);
  virtual ~TIdCommand() = default;
  TIdCommand(const TIdCommand&) = delete;
  TIdCommand& operator=(const TIdCommand&) = delete;

  const std::string CommandLine;
  TIdCommandHandler& Handler;
  TIdPeerThread& PeerThread;
  std::string ArgumentText;  // the line after the command word (and its delimiter)
  std::vector<std::string> Arguments;
  TIdRFCReply CommandReply;  // starts as a copy of the handler's ReplyNormal
  std::vector<std::string> CommandResponse;
  bool ReplyPending = true;

  // Runs the handler's OnCommand with this command.
  virtual void PerformCommand();
  // Sends CommandReply now (nothing when it has no content); no reply is pending after.
  void SendCommandReply();
};

using TIdCommandEvent = std::function<void(TIdCommand& ASender)>;

class TIdCommandHandler : public TCollectionItem {
 public:
  explicit TIdCommandHandler(TCollection* collection = nullptr);

  char CmdDelimiter = ' ';  // '\0': the arguments follow the command word directly
  std::string Command;
  bool Disconnect = false;
  bool Enabled = true;
  TIdCommandEvent OnCommand;
  char ParamDelimiter = ' ';
  bool ParseParams = true;
  int ReplyExceptionCode = 0;
  TIdRFCReply ReplyNormal;
  std::vector<std::string> Response;
  int Tag = 0;

  // "TIdCommandHandler" and the collection id unless a name was set.
  std::string Name() const;
  void SetName(std::string name) { name_ = std::move(name); }

  // Takes the line when it matches and handles it on the peer's connection; false when
  // it does not match. Throws what the command throws when no reply code is configured
  // for failures or its reply was already sent, and the connection's write errors.
  bool RouteCommand(const std::string& line, TIdPeerThread& peer);

  // The text after the command word when `line` matches Command; false when it does not.
  bool Matches(const std::string& line, std::string& argumentText) const;
  // ArgumentText cut into arguments by ParamDelimiter (see command_handler.cpp).
  std::vector<std::string> SplitArguments(const std::string& argumentText) const;

 private:
  void Perform(TIdCommand& command);
  int ExceptionCode(const TIdTCPServer& server) const;

  std::string name_;
};

class TIdCommandHandlers : public TOwnedCollection {
 public:
  explicit TIdCommandHandlers(TIdTCPServer& server);

  TIdTCPServer& Server() const noexcept { return server_; }
  TIdCommandHandler& Add() { return TCollection::Add<TIdCommandHandler>(); }
  TIdCommandHandler& Items(std::size_t index) const {
    return static_cast<TIdCommandHandler&>(Item(index));
  }

 private:
  TIdTCPServer& server_;
};

}  // namespace horalux
