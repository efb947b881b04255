// The POSIX stack's own guarantees, beyond what every stack does.
#include "stack/stack_posix.h"

#include <gtest/gtest.h>

#include <string>

#include "stack/wsa_codes.h"

namespace horalux {
namespace {

// Linux reuses a closed descriptor's number at once; a stale handle must not reach it.
TEST(StackPosix, AClosedHandleNeverReachesADescriptorAgain) {
  TIdStackPosix stack;
  const TIdStackSocketHandle first = stack.OpenSocket(Id_SOCK_STREAM, 0);
  ASSERT_EQ(stack.SockClose(first), 0);
  // The descriptor number is free again and probably reused here.
  const TIdStackSocketHandle second = stack.OpenSocket(Id_SOCK_STREAM, 0);
  ASSERT_EQ(stack.SockBind(second, Id_AF_INET, 0, "127.0.0.1"), 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(stack.SockListen(first, 1), Id_SOCKET_ERROR);
  EXPECT_EQ(stack.SockLastError(), Id_WSAENOTSOCK);
  EXPECT_EQ(stack.SockClose(first), Id_SOCKET_ERROR);
  int family = 0, port = 0;
  std::string address;
  stack.SockLocalName(second, family, port, address);
  EXPECT_EQ(address, "127.0.0.1");
  stack.SockClose(second);
}

}  // namespace
}  // namespace horalux
