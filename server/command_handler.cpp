#include "server/command_handler.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <utility>

#include "server/peer_thread.h"
#include "server/tcp_server.h"

namespace horalux {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(std::string_view text) {
  const auto notBlank = [](unsigned char c) { return c > ' '; };
  const auto first = std::find_if(text.begin(), text.end(), notBlank);
  const auto last = std::find_if(text.rbegin(), text.rend(), notBlank).base();
  return first < last ? std::string(first, last) : std::string();
}

}  // namespace

TIdCommand::TIdCommand(TIdCommandHandler& handler, TIdPeerThread& peer, std::string line)
    : CommandLine(std::move(line)), Handler(handler), PeerThread(peer) {
  CommandReply.Assign(handler.ReplyNormal);
}

void TIdCommand::PerformCommand() {
  if (Handler.OnCommand) Handler.OnCommand(*this);
}

void TIdCommand::SendCommandReply() {
  ReplyPending = false;
  WriteReply(PeerThread.Connection(), CommandReply);
}

TIdCommandHandler::TIdCommandHandler(TCollection* collection) : TCollectionItem(collection) {}

std::string TIdCommandHandler::Name() const {
  return name_.empty() ? "TIdCommandHandler" + std::to_string(ID()) : name_;
}

bool TIdCommandHandler::Matches(const std::string& line, std::string& argumentText) const {
  argumentText.clear();
  if (SameIgnoringCase(line, Command)) return true;
  const std::string_view view(line);
  if (CmdDelimiter == '\0') {
    if (!SameIgnoringCase(view.substr(0, Command.size()), Command)) return false;
    argumentText = line.substr(Command.size());
    return true;
  }
  const std::size_t wordEnd = Command.size();
  if (line.size() <= wordEnd || line[wordEnd] != CmdDelimiter) return false;
  if (!SameIgnoringCase(view.substr(0, wordEnd), Command)) return false;
  argumentText = line.substr(wordEnd + 1);
  return true;
}

// With a space as delimiter every piece counts as it is, so two spaces in a row give an
// empty argument; with any other delimiter the pieces and the rest are trimmed. A
// delimiter at the very end adds no empty argument.
std::vector<std::string> TIdCommandHandler::SplitArguments(const std::string& argumentText) const {
  std::vector<std::string> arguments;
  const bool verbatim = ParamDelimiter == ' ';
  std::string rest = argumentText;
  while (!rest.empty()) {
    const std::size_t cut = rest.find(ParamDelimiter);
    if (cut == std::string::npos) {
      arguments.push_back(verbatim ? rest : Trim(rest));
      break;
    }
    arguments.push_back(verbatim ? rest.substr(0, cut) : Trim(rest.substr(0, cut)));
    rest = verbatim ? rest.substr(cut + 1) : Trim(rest.substr(cut + 1));
  }
  return arguments;
}

bool TIdCommandHandler::RouteCommand(const std::string& line, TIdPeerThread& peer) {
  std::string argumentText;
  if (!Matches(line, argumentText)) return false;
  TIdCommand command(*this, peer, line);
  command.ArgumentText = std::move(argumentText);
  try {
    if (ParseParams) command.Arguments = SplitArguments(command.ArgumentText);
    Perform(command);
  } catch (...) {
    if (Disconnect) peer.Connection().CloseConnection();
    throw;
  }
  if (Disconnect) peer.Connection().CloseConnection();
  return true;
}

void TIdCommandHandler::Perform(TIdCommand& command) {
  try {
    command.PerformCommand();
  } catch (const std::exception& error) {
    const int code = ExceptionCode(command.PeerThread.OwnerServer());
    if (!command.ReplyPending || code < 1) throw;
    // The failure becomes the reply; the response lines are left out.
    command.CommandReply.FillReply(code, error.what());
    command.SendCommandReply();
    return;
  }
  if (command.ReplyPending) command.SendCommandReply();
  TIdTCPConnection& connection = command.PeerThread.Connection();
  if (!command.CommandResponse.empty()) {
    connection.WriteDotLines(command.CommandResponse);
  } else if (!Response.empty()) {
    connection.WriteDotLines(Response);
  }
}

int TIdCommandHandler::ExceptionCode(const TIdTCPServer& server) const {
  return ReplyExceptionCode >= 1 ? ReplyExceptionCode : server.ReplyExceptionCode;
}

TIdCommandHandlers::TIdCommandHandlers(TIdTCPServer& server)
    : TOwnedCollection(&server), server_(server) {}

}  // namespace horalux
