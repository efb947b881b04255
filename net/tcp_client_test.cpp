#include "net/tcp_client.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "net/io_handler_socket.h"
#include "stack/exceptions.h"
#include "tests/support/loopback.h"

namespace horalux {
namespace {

class ClientTest : public ::testing::Test {
 protected:
  ClientTest() {
    client.Host = "127.0.0.1";
    client.Port = listener.Port();
  }
  testing::RawListener listener;
  TIdTCPClient client;
};

TEST_F(ClientTest, ASecondOpenRaisesAndTheFirstConnectionStaysUsable) {
  client.OpenConnection();
  testing::RawFd peer = listener.Accept();
  try {
    client.OpenConnection();
    FAIL() << "expected EIdAlreadyConnected";
  } catch (const EIdAlreadyConnected& error) {
    EXPECT_EQ(error.Message(), "Already connected.");
  }
  client.WriteText("still here");
  client.CloseConnection();
  EXPECT_EQ(testing::ReadAll(peer.get()), "still here");
}

TEST_F(ClientTest, AFailedOpenKeepsItsOwnHandlerForTheNextAttempt) {
  client.Port = testing::RefusingPort();
  EXPECT_THROW(client.OpenConnection(), EIdSocketError);
  TIdIOHandler* kept = client.IOHandler();
  ASSERT_NE(kept, nullptr);
  EXPECT_FALSE(kept->IsOpen());
  client.Port = listener.Port();
  client.OpenConnection();
  EXPECT_EQ(client.IOHandler(), kept);
  EXPECT_TRUE(client.IsConnected());
  client.CloseConnection();
  EXPECT_EQ(client.IOHandler(), nullptr);
}

TEST_F(ClientTest, AnAttachedHandlerIsNeverFreed) {
  TIdIOHandlerSocket own;
  client.SetIOHandler(&own);
  client.OpenConnection();
  client.CloseConnection();
  EXPECT_EQ(client.IOHandler(), &own);
  EXPECT_FALSE(own.IsOpen());
}

TEST_F(ClientTest, StatusesOfOneConnectionInOrder) {
  std::vector<std::string> statuses;
  client.Host = "localhost";
  client.OnStatus = [&](TComponent&, TIdStatus, const std::string& text) {
    statuses.push_back(text);
  };
  int connected = 0;
  client.OnConnected = [&](TComponent&) { ++connected; };
  client.OpenConnection();
  client.CloseConnection();
  EXPECT_EQ(statuses,
            (std::vector<std::string>{"Resolving hostname localhost.", "Connecting to 127.0.0.1.",
                                      "Connected.", "Disconnecting.", "Disconnected."}));
  EXPECT_EQ(connected, 1);
}

TEST_F(ClientTest, AStatusHandlerSetLaterIsNotSeenByAnExistingHandler) {
  client.Port = testing::RefusingPort();
  EXPECT_THROW(client.OpenConnection(), EIdSocketError);  // leaves its handler
  std::vector<std::string> statuses;
  client.OnStatus = [&](TComponent&, TIdStatus, const std::string& text) {
    statuses.push_back(text);
  };
  client.Port = listener.Port();
  client.OpenConnection();
  EXPECT_EQ(statuses, std::vector<std::string>{"Connected."});
}

TEST_F(ClientTest, FetchAllTextReadsToTheEndAndDisconnects) {
  std::thread server([this] {
    testing::RawFd peer = listener.Accept();
    testing::WriteAll(peer.get(), "all of it");
  });
  EXPECT_EQ(client.FetchAllText(), "all of it");
  server.join();
  EXPECT_EQ(client.IOHandler(), nullptr);
}

TEST_F(ClientTest, AConnectThatCannotCompleteTimesOutWithItsSocketClosed) {
  testing::UnreachablePeer unreachable;
  client.Port = unreachable.Port();
  try {
    client.OpenConnection(200);
    FAIL() << "expected EIdConnectTimeout";
  } catch (const EIdConnectTimeout& error) {
    EXPECT_EQ(error.Message(), "Connect timed out.");
  }
  ASSERT_NE(client.IOHandler(), nullptr);
  EXPECT_FALSE(client.IOHandler()->IsOpen());
}

}  // namespace
}  // namespace horalux
