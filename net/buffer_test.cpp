#include "net/buffer.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

TEST(TIdBuffer, AppendsAtTheEndAndRemovesFromTheFront) {
  TIdBuffer buffer;
  buffer.Append("abcdef", 6);
  buffer.RemoveFront(2);
  EXPECT_EQ(buffer.ToString(), "cdef");
  buffer.RemoveFront(4);
  EXPECT_EQ(buffer.Size(), 0);
}

TEST(TIdBuffer, ReadsFromItsPositionAndKeepsItInRange) {
  TIdBuffer buffer;
  buffer.Append("abcdef", 6);
  char out[4] = {};
  buffer.Position = 4;
  EXPECT_EQ(buffer.Read(out, 4), 2);
  EXPECT_EQ(std::string(out, 2), "ef");
  EXPECT_EQ(buffer.Read(out, 4), 0);
  buffer.SetSize(3);
  EXPECT_EQ(buffer.Position, 3);
}

}  // namespace
}  // namespace horalux
