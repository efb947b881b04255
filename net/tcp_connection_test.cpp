#include "net/tcp_connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "net/tcp_client.h"
#include "stack/exceptions.h"
#include "stack/wsa_codes.h"
#include "tests/support/loopback.h"

namespace horalux {
namespace {

using testing::RawFd;
using testing::WriteAll;

// A client connected to a raw peer that the test drives byte by byte.
class ConnectionTest : public ::testing::Test {
 protected:
  ConnectionTest() {
    client.Host = "127.0.0.1";
    client.Port = listener.Port();
    client.OpenConnection();
    peer = listener.Accept();
  }

  void PeerSendsAndCloses(const std::string& bytes) {
    ASSERT_TRUE(WriteAll(peer.get(), bytes));
    peer.Reset();
  }

  testing::RawListener listener;
  TIdTCPClient client;
  RawFd peer;
};

TEST_F(ConnectionTest, CloseAfterDataIsNoticedOnTheNextReceive) {
  PeerSendsAndCloses("abcd");
  EXPECT_EQ(client.ReceiveChunk(true, 2000, true), 4);
  EXPECT_EQ(client.InputByteCount(), 4);
  EXPECT_EQ(client.ReceiveChunk(true, 2000, true), 0);
  EXPECT_FALSE(client.IsConnected());
  EXPECT_EQ(client.ReadUInt32(false), *reinterpret_cast<const std::uint32_t*>("abcd"));
}

TEST_F(ConnectionTest, CloseWithPartOfAValueBufferedIsNoErrorUntilTheValueIsRead) {
  PeerSendsAndCloses("ab");
  EXPECT_EQ(client.ReceiveChunk(true, 2000, true), 2);
  EXPECT_EQ(client.ReceiveChunk(true, 2000, true), 0);
  EXPECT_THROW(client.ReadUInt32(), EIdConnClosedGracefully);
  EXPECT_EQ(client.InputByteCount(), 2);
}

TEST_F(ConnectionTest, CloseWithNothingBufferedRaises) {
  peer.Reset();
  try {
    client.ReceiveChunk(true, 2000, true);
    FAIL() << "expected EIdConnClosedGracefully";
  } catch (const EIdConnClosedGracefully& error) {
    EXPECT_EQ(error.Message(), "Connection Closed Gracefully.");
  }
}

TEST_F(ConnectionTest, ATimedOutWaitRaisesOrReturnsMinusOne) {
  EXPECT_EQ(client.ReceiveChunk(true, 30, false), -1);
  try {
    client.ReceiveChunk(true, 30, true);
    FAIL() << "expected EIdReadTimeout";
  } catch (const EIdReadTimeout& error) {
    EXPECT_EQ(error.Message(), "Read Timeout");
  }
  EXPECT_TRUE(client.IsConnected());
}

TEST_F(ConnectionTest, DefaultTimeOutOfZeroWaitsWithoutLimit) {
  std::thread late([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    WriteAll(peer.get(), "x");
  });
  EXPECT_EQ(client.ReceiveChunk(true, UseDefaultTimeout, true), 1);
  late.join();
}

TEST_F(ConnectionTest, ReadUInt32TakesNetworkOrderWhenAskedTo) {
  ASSERT_TRUE(WriteAll(peer.get(), std::string("\x00\x00\x01\x00\x00\x00\x01\x00", 8)));
  EXPECT_EQ(client.ReadUInt32(true), 256u);
  EXPECT_EQ(client.ReadUInt32(false), 65536u);  // this host is little-endian
}

TEST_F(ConnectionTest, WriteUInt32SendsNetworkOrder) {
  client.WriteUInt32(0xE8754700u);
  client.WriteInt32(-2, true);
  client.CloseConnection();
  EXPECT_EQ(testing::ReadAll(peer.get()), std::string("\xE8\x75\x47\x00\xFF\xFF\xFF\xFE", 8));
}

TEST_F(ConnectionTest, ConsumeInputTakesExactlyWhatIsBuffered) {
  std::vector<std::int32_t> progress;
  client.OnWork = [&](TComponent&, TWorkMode mode, std::int32_t count) {
    EXPECT_EQ(mode, WorkRead);
    progress.push_back(count);
  };
  PeerSendsAndCloses("123456");
  while (client.InputByteCount() < 6) client.ReceiveChunk(false, 2000, true);
  EXPECT_THROW(client.ConsumeInput(7), EIdNotEnoughDataInBuffer);
  EXPECT_EQ(client.InputByteCount(), 6);
  client.ConsumeInput(2);  // progress is reported only inside a begin and end
  client.StartWork(WorkRead, 4);
  client.ConsumeInput(4);
  client.FinishWork(WorkRead);
  EXPECT_EQ(client.InputByteCount(), 0);
  EXPECT_EQ(progress, std::vector<std::int32_t>{4});
}

TEST_F(ConnectionTest, CloseConnectionTwiceRepeatsItsEventsAndFreesTheHandlerOnce) {
  std::vector<std::string> statuses;
  int disconnected = 0;
  client.OnStatus = [&](TComponent&, TIdStatus, const std::string& text) {
    statuses.push_back(text);
  };
  client.OnDisconnected = [&](TComponent&) { ++disconnected; };
  client.CloseConnection();
  EXPECT_EQ(client.IOHandler(), nullptr);
  client.CloseConnection();
  EXPECT_EQ(statuses, (std::vector<std::string>{"Disconnecting.", "Disconnected.", "Disconnecting.",
                                                "Disconnected."}));
  EXPECT_EQ(disconnected, 2);
  EXPECT_TRUE(testing::PeerClosedWithoutData(peer.get()));
}

TEST_F(ConnectionTest, SendingToAResetPeerRaisesASocketErrorAndClosesTheSocket) {
  testing::ResetOnClose(peer.get());
  peer.Reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const std::string data(4096, 'x');
  try {
    for (int i = 0; i < 10; ++i) client.WriteText(data);
    FAIL() << "expected a failure";
  } catch (const EIdSocketError& error) {
    EXPECT_EQ(error.errorCode(), Id_WSAECONNRESET);
  } catch (const EIdConnClosedGracefully&) {
  }
  EXPECT_FALSE(client.IsConnected());
}

TEST_F(ConnectionTest, InterceptSeesBothDirectionsAndTheFilterClearsTheTopBit) {
  TIdConnectionIntercept intercept;
  std::string received, sent;
  intercept.OnReceive = [&](TComponent&, TIdBuffer& stream) { received += stream.ToString(); };
  intercept.OnSend = [&](TComponent&, TIdBuffer& stream) { sent += stream.ToString(); };
  client.SetIntercept(&intercept);
  client.ASCIIFilter = true;
  client.WriteText("hello");
  ASSERT_TRUE(WriteAll(peer.get(),
                       "\xC1"
                       "B"));
  while (client.InputByteCount() < 2) client.ReceiveChunk(true, 2000, true);
  EXPECT_EQ(sent, "hello");
  EXPECT_EQ(received,
            "\xC1"
            "B");
  EXPECT_EQ(client.TakeText(2), "AB");
}

TEST_F(ConnectionTest, AnInterceptDestroyedFirstIsForgotten) {
  {
    TIdConnectionIntercept intercept;
    client.SetIntercept(&intercept);
  }
  EXPECT_EQ(client.Intercept(), nullptr);
  client.WriteText("still fine");
}

TEST_F(ConnectionTest, ReadLineEndsAtTheTerminator) {
  ASSERT_TRUE(WriteAll(peer.get(), "one\r\ntwo\nthree;four"));
  EXPECT_EQ(client.ReadLine(), "one");
  EXPECT_EQ(client.ReadLine(), "two");
  EXPECT_EQ(client.ReadLine(";"), "three");
  EXPECT_EQ(client.ReadLine({}, 50), "");
  EXPECT_TRUE(client.ReadLineTimedOut());
  EXPECT_EQ(client.InputByteCount(), 4);
}

TEST_F(ConnectionTest, ReplyLinesAndCodes) {
  ASSERT_TRUE(WriteAll(peer.get(), "\r\n220-first\r\n220-second\r\n220 last\r\n550 no\r\nxyz\r\n"));
  EXPECT_EQ(client.ReadReplyCode({220}), 220);
  EXPECT_EQ(client.ReplyLines(), (std::vector<std::string>{"220-first", "220-second", "220 last"}));
  try {
    client.ReadReplyCode({220, 250});
    FAIL() << "expected EIdProtocolReplyError";
  } catch (const EIdProtocolReplyError& error) {
    EXPECT_EQ(error.replyCode(), 550);
    EXPECT_EQ(error.Message(), "550 no");
  }
  EXPECT_EQ(client.ReadReplyCode(), 0);
  EXPECT_THROW(client.RaiseWithLastReply(ExceptionClass<EIdReadTimeout>()), EIdReadTimeout);
}

TEST_F(ConnectionTest, DotLinesStreamsAndCommands) {
  client.WriteDotLines({"a", ".", ".b"});
  std::istringstream stream("payload");
  client.WriteStream(stream, true, true);
  ASSERT_TRUE(WriteAll(peer.get(), "200 ok\r\n"));
  EXPECT_EQ(client.SendCommandText("NOOP", {200}), 200);
  client.CloseConnection();
  EXPECT_EQ(testing::ReadAll(peer.get()),
            std::string("a\r\n..\r\n.b\r\n.\r\n\x00\x00\x00\x07payloadNOOP\r\n", 31));
}

TEST_F(ConnectionTest, ReadAllTextReadsUntilThePeerCloses) {
  std::vector<std::string> events;
  client.OnWorkBegin = [&](TComponent&, TWorkMode, std::int32_t) { events.push_back("begin"); };
  client.OnWorkEnd = [&](TComponent&, TWorkMode) { events.push_back("end"); };
  PeerSendsAndCloses(std::string(100000, 'z'));
  EXPECT_EQ(client.ReadAllText(), std::string(100000, 'z'));
  EXPECT_EQ(events, (std::vector<std::string>{"begin", "end"}));
}

TEST(ConnectionWithoutHandler, IsNeitherConnectedNorDisconnected) {
  TIdTCPConnection connection;
  EXPECT_FALSE(connection.IsConnected());
  EXPECT_NO_THROW(connection.DetectDisconnect(true, true));
  EXPECT_EQ(connection.ReceiveChunk(true, 10, true), 0);
  connection.CloseConnection();
}

}  // namespace
}  // namespace horalux
