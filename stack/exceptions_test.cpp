#include "stack/exceptions.h"

#include <gtest/gtest.h>

#include "base/format.h"
#include "stack/messages.h"
#include "stack/platform_stack.h"
#include "stack/wsa_codes.h"

namespace horalux {
namespace {

std::string SocketErrorMessage(int code) { return TIdStackPlatform().SocketErrorText(code); }

TEST(SocketErrorText, KnownCodeGivesTwoLinesWithTheTableText) {
  EXPECT_EQ(SocketErrorMessage(Id_WSAECONNRESET),
            "Socket Error # 10054\r\nConnection reset by peer.");
  EXPECT_EQ(SocketErrorMessage(Id_WSAECONNREFUSED), "Socket Error # 10061\r\nConnection refused.");
}

TEST(SocketErrorText, CodesOutsideTheTableHaveAnEmptySecondLine) {
  EXPECT_EQ(SocketErrorMessage(Id_WSAHOST_NOT_FOUND), "Socket Error # 11001\r\n");
  EXPECT_EQ(SocketErrorMessage(0), "Socket Error # 0\r\n");
  EXPECT_EQ(SocketErrorMessage(-5), "Socket Error # -5\r\n");
  EXPECT_EQ(SocketErrorMessage(10001), "Socket Error # 10001\r\n");
}

TEST(SocketErrorText, KeepsTheOddTextsAsTheyAre) {
  EXPECT_EQ(WSAErrorText(Id_WSAEWOULDBLOCK), "Operation would block. ");
  EXPECT_EQ(WSAErrorText(Id_WSAENOTEMPTY), "Directory not empty");
}

TEST(SocketErrorText, TableHasThirtyEightEntriesFrom10004To10066) {
  int entries = 0;
  for (int code = 9000; code < 12000; ++code) {
    if (!WSAErrorText(code).empty()) {
      ++entries;
      EXPECT_GE(code, Id_WSAEINTR);
      EXPECT_LE(code, Id_WSAENOTEMPTY);
    }
  }
  EXPECT_EQ(entries, 38);
}

TEST(ExceptionTree, SocketErrorCarriesItsCodeAndReplyErrorItsReplyCode) {
  const EIdSocketError socket(Id_WSAEADDRINUSE, "text");
  EXPECT_EQ(socket.errorCode(), 10048);
  EXPECT_EQ(socket.Message(), "text");
  const EIdProtocolReplyError reply(550, "550 no");
  EXPECT_EQ(reply.replyCode(), 550);
  EXPECT_STREQ(reply.what(), "550 no");
}

template <class Base, class Raised>
bool CaughtAs() {
  try {
    throw Raised("x");
  } catch (const Base&) {
    return true;
  } catch (...) {
    return false;
  }
}

TEST(ExceptionTree, BasesCatchTheirChildrenOnly) {
  EXPECT_TRUE((CaughtAs<EIdSocketHandleError, EIdCouldNotBindSocket>()));
  EXPECT_TRUE((CaughtAs<EIdSocketHandleError, EIdCanNotBindPortInRange>()));
  EXPECT_TRUE((CaughtAs<EIdSocketHandleError, EIdInvalidPortRange>()));
  EXPECT_TRUE((CaughtAs<EIdStackError, EIdStackInitializationFailed>()));
  EXPECT_TRUE((CaughtAs<EIdStackError, EIdStackSetSizeExceeded>()));
  EXPECT_FALSE((CaughtAs<EIdStackError, EIdStackCanNotLoadWinsock>()));
  EXPECT_TRUE((CaughtAs<EIdSilentException, EIdConnClosedGracefully>()));
  EXPECT_TRUE((CaughtAs<EIdException, EIdConnClosedGracefully>()));
  EXPECT_TRUE((CaughtAs<EIdTCPServerError, EIdTerminateThreadTimeout>()));
  EXPECT_TRUE((CaughtAs<EIdTCPServerError, EIdNoExecuteSpecified>()));
  EXPECT_TRUE((CaughtAs<EIdThreadMgrError, EIdThreadClassNotSpecified>()));
  EXPECT_TRUE((CaughtAs<EIdTCPConnectionError, EIdNotEnoughDataInBuffer>()));
  EXPECT_TRUE((CaughtAs<EIdSocksError, EIdSocksServerTTLExpiredError>()));
  EXPECT_FALSE((CaughtAs<EIdSilentException, EIdReadTimeout>()));
  EXPECT_FALSE((CaughtAs<EIdException, EConvertError>()));
}

TEST(Messages, PortRangeTextsTakeMinimumFirst) {
  EXPECT_EQ(Fmt(Messages().CanNotBindInPortRange, {6000, 6002}),
            "Can not bind in port range (6000 - 6002)");
  EXPECT_EQ(Fmt(Messages().InvalidPortRange, {7000, 6000}), "Invalid Port Range (7000 - 6000)");
  EXPECT_EQ(Fmt(Messages().InvalidServiceName, {"nosuch"}), "nosuch is not a valid service.");
}

TEST(Messages, NamedTextsAreExact) {
  const IdMessages& m = Messages();
  EXPECT_EQ(m.ConnectTimeout, "Connect timed out.");
  EXPECT_EQ(m.ConnectionClosedGracefully, "Connection Closed Gracefully.");
  EXPECT_EQ(m.ReadTimeout, "Read Timeout");
  EXPECT_EQ(m.NotConnected, "Disconnected.");
  EXPECT_EQ(m.CouldNotBindSocket, "Could not bind socket. Address and port are already in use.");
  EXPECT_EQ(m.TerminateThreadTimeout, "Terminate Thread Timeout");
  EXPECT_EQ(m.StackCanNotLoad, "%s could not be loaded.");
  EXPECT_EQ(m.StackInitializationFailed, "Winsock Initialization Error.");
}

}  // namespace
}  // namespace horalux
