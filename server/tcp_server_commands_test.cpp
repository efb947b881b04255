// The server's default serving through command handlers, with a raw client on loopback.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "server/server_test_support.h"
#include "server/tcp_server.h"
#include "stack/exceptions.h"

namespace horalux {
namespace {

using testing::AddLoopbackBinding;
using testing::BoundPort;
using testing::Gate;
using testing::Journal;
using testing::RawConnect;
using testing::RawFd;
using testing::ReadToClose;

class CommandServerTest : public testing::ServerTest {
 protected:
  void SetUp() override {
    testing::ServerTest::SetUp();
    NewServer();
  }
  void TearDown() override {
    server_.reset();
    testing::ServerTest::TearDown();
  }

  // A fresh inactive server on loopback without handlers, and fresh records.
  void NewServer() {
    server_.reset();
    errors_ = std::make_unique<Journal>();
    ended_ = std::make_unique<Gate>();
    server_ = std::make_unique<TIdTCPServer>();
    AddLoopbackBinding(*server_);
    server_->OnException = [errors = errors_.get()](TIdPeerThread&, const std::exception& error) {
      errors->Add(error.what());
    };
    server_->OnDisconnect = [ended = ended_.get()](TIdPeerThread&) { ended->Open(); };
  }

  TIdCommandHandler& Handler(const std::string& command, int code = 0,
                             const std::string& text = {}) {
    TIdCommandHandler& handler = server_->CommandHandlers().Add();
    handler.Command = command;
    if (code != 0 || !text.empty()) handler.ReplyNormal.FillReply(code, text);
    return handler;
  }

  // Sends the lines, stops sending, and returns everything the server wrote before it
  // closed. Waits until the peer has ended.
  std::string Converse(const std::string& lines) {
    if (!server_->Active()) server_->SetActive(true);
    RawFd client = RawConnect(BoundPort(*server_));
    EXPECT_TRUE(testing::WriteAll(client.get(), lines));
    testing::ShutdownSending(client.get());
    const std::optional<std::string> seen = ReadToClose(client.get());
    EXPECT_TRUE(ended_->Wait());
    return seen.value_or("(no close)");
  }

  std::unique_ptr<Journal> errors_;
  std::unique_ptr<Gate> ended_;
  std::unique_ptr<TIdTCPServer> server_;
};

TEST_F(CommandServerTest, EachLineGoesToTheFirstEnabledHandlerThatTakesIt) {
  Handler("HELP", 214, "disabled").Enabled = false;
  Handler("HELP", 214, "first");
  Handler("HELP", 214, "second");
  Handler("HELPER", 214, "helper");
  EXPECT_EQ(Converse("help me\r\nHELP\r\nhelper\r\n"), "214 first\r\n214 first\r\n214 helper\r\n");
  // The client stopped sending: the read after the last line ends the peer.
  EXPECT_EQ(errors_->Entries(), std::vector<std::string>{"Connection Closed Gracefully."});
}

TEST_F(CommandServerTest, CommandSeesItsLineArgumentsAndDecidesItsReply) {
  TIdCommandHandler& set = Handler("SET", 200, "unused");
  set.OnCommand = [](TIdCommand& command) {
    std::string joined = command.CommandLine + "|" + command.ArgumentText + "|";
    for (const std::string& argument : command.Arguments) joined += "[" + argument + "]";
    command.CommandReply.FillReply(250, joined);
  };
  TIdCommandHandler& raw = Handler("RAW", 200, "");
  raw.ParseParams = false;
  raw.OnCommand = [](TIdCommand& command) {
    command.CommandReply.FillReply(251, std::to_string(command.Arguments.size()));
  };
  EXPECT_EQ(Converse("set a  b\r\nraw x y\r\n"), "250 set a  b|a  b|[a][][b]\r\n251 0\r\n");
}

TEST_F(CommandServerTest, ReplyIsSentOnceThenTheCommandsOrElseTheHandlersResponseLines) {
  TIdCommandHandler& list = Handler("LIST", 215, "list follows");
  list.Response = {"default"};
  list.OnCommand = [](TIdCommand& command) {
    if (command.ArgumentText == "own") command.CommandResponse = {"a", ".", "b"};
    if (command.ArgumentText == "early") command.SendCommandReply();
  };
  EXPECT_EQ(Converse("LIST own\r\nLIST\r\nLIST early\r\n"),
            "215 list follows\r\na\r\n..\r\nb\r\n.\r\n"
            "215 list follows\r\ndefault\r\n.\r\n"
            "215 list follows\r\ndefault\r\n.\r\n");
}

TEST_F(CommandServerTest, FailingCommandRepliesWithTheHandlersOrTheServersExceptionCode) {
  const auto boom = [](TIdCommand&) { throw std::runtime_error("boom\nagain"); };
  TIdCommandHandler& own = Handler("OWN", 200, "fine");
  own.Response = {"never"};
  own.ReplyExceptionCode = 550;
  own.OnCommand = boom;
  Handler("SERVERS", 200, "fine").OnCommand = boom;
  server_->ReplyExceptionCode = 451;
  EXPECT_EQ(Converse("own\r\nservers\r\n"), "550-boom\r\n550 again\r\n451-boom\r\n451 again\r\n");
}

TEST_F(CommandServerTest, FailureWithoutACodeOrAfterTheReplyReachesOnExceptionAndEndsThePeer) {
  for (const bool replyFirst : {false, true}) {
    SCOPED_TRACE(replyFirst ? "reply sent first" : "no code");
    NewServer();
    TIdCommandHandler& handler = Handler("FAIL", 200, "sent");
    if (replyFirst) handler.ReplyExceptionCode = 550;
    handler.OnCommand = [replyFirst](TIdCommand& command) {
      if (replyFirst) command.SendCommandReply();
      throw std::runtime_error("boom");
    };
    EXPECT_EQ(Converse("FAIL\r\nFAIL\r\n"), replyFirst ? "200 sent\r\n" : "");
    EXPECT_EQ(errors_->Entries(), std::vector<std::string>{"boom"});
  }
}

TEST_F(CommandServerTest, UnknownLineGoesToOnNoCommandHandlerElseTheUnknownReplyElseAnError) {
  Handler("KNOWN", 200, "ok");
  Journal unknown;
  server_->OnNoCommandHandler = [&](TIdTCPServer& sender, const std::string& line, TIdPeerThread&) {
    unknown.Add(&sender == server_.get() ? line : "wrong sender");
  };
  EXPECT_EQ(Converse("what\r\nknown\r\n"), "200 ok\r\n");
  EXPECT_EQ(unknown.Entries(), std::vector<std::string>{"what"});

  NewServer();
  Handler("KNOWN", 200, "ok");
  server_->ReplyUnknownCommand.FillReply(500, "unknown");
  EXPECT_EQ(Converse("what\r\nknown\r\n"), "500 unknown\r\n200 ok\r\n");

  NewServer();
  Handler("KNOWN", 200, "ok");
  EXPECT_EQ(Converse("what\r\nknown\r\n"), "");
  EXPECT_EQ(errors_->Entries(), std::vector<std::string>{"No command handler found."});
}

TEST_F(CommandServerTest, DisconnectingHandlerClosesTheConnectionAfterItsReply) {
  Handler("QUIT", 221, "bye").Disconnect = true;
  EXPECT_EQ(Converse("quit\r\nnever read\r\n"), "221 bye\r\n");
  EXPECT_EQ(errors_->Size(), 0u);
}

TEST_F(CommandServerTest, BeforeAndAfterEventsSurroundEveryLineAlsoAFailingOne) {
  Journal journal;
  Handler("GO", 200, "ok").OnCommand = [&](TIdCommand&) { journal.Add("command"); };
  server_->OnBeforeCommandHandler = [&](TIdTCPServer&, const std::string& line, TIdPeerThread&) {
    journal.Add("before " + line);
  };
  server_->OnAfterCommandHandler = [&](TIdTCPServer&, TIdPeerThread&) { journal.Add("after"); };
  EXPECT_EQ(Converse("go\r\nstop\r\ngo\r\n"), "200 ok\r\n");
  EXPECT_EQ(journal.Entries(),
            (std::vector<std::string>{"before go", "command", "after", "before stop", "after"}));
}

TEST_F(CommandServerTest, WithHandlersDisabledOnExecuteServes) {
  Handler("GO", 200, "ok");
  server_->CommandHandlersEnabled = false;
  server_->OnExecute = [](TIdPeerThread& peer) {
    peer.Connection().WriteLine("execute " + peer.Connection().ReadLine());
    peer.Connection().CloseConnection();
  };
  EXPECT_EQ(Converse("go\r\n"), "execute go\r\n");
}

}  // namespace
}  // namespace horalux
