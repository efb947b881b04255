#include "server/rfc_reply.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

TIdRFCReply Reply(int code, std::vector<std::string> lines) {
  TIdRFCReply reply;
  reply.NumericCode = code;
  reply.Text = std::move(lines);
  return reply;
}

TEST(RFCReply, RendersEachOfTheFourShapes) {
  EXPECT_EQ(Reply(220, {"a", "b"}).RenderReply(), "220-a\r\n220 b\r\n");
  EXPECT_EQ(Reply(0, {"only"}).RenderReply(), "only\r\n");
  EXPECT_EQ(Reply(421, {}).RenderReply(), "421\r\n");
  EXPECT_EQ(Reply(0, {}).RenderReply(), "");
  EXPECT_EQ(Reply(-5, {"x", "y"}).RenderReply(), "x\r\ny\r\n");
  EXPECT_EQ(Reply(-5, {}).RenderReply(), "");
}

TEST(RFCReply, HasContentWithACodeAboveZeroOrAnyLine) {
  TIdRFCReply reply;
  EXPECT_FALSE(reply.HasContent());
  EXPECT_FALSE(Reply(-1, {}).HasContent());
  EXPECT_TRUE(Reply(1, {}).HasContent());
  EXPECT_TRUE(Reply(0, {""}).HasContent());
}

TEST(RFCReply, FillReplySplitsTheTextIntoLines) {
  TIdRFCReply reply;
  reply.FillReply(500, "first\r\nsecond\nthird\rfourth");
  EXPECT_EQ(reply.NumericCode, 500);
  EXPECT_EQ(reply.Text, (std::vector<std::string>{"first", "second", "third", "fourth"}));

  reply.FillReply(501, "one\r\n\r\ntwo\r\n");
  EXPECT_EQ(reply.Text, (std::vector<std::string>{"one", "", "two"}));
  reply.FillReply(0, "");
  EXPECT_TRUE(reply.Text.empty());
  EXPECT_FALSE(reply.HasContent());
}

TEST(RFCReply, AssignReplacesCodeAndLinesAndResetEmpties) {
  TIdRFCReply target = Reply(421, {"old", "lines", "here"});
  target.Assign(Reply(220, {"new"}));
  EXPECT_EQ(target.NumericCode, 220);
  EXPECT_EQ(target.Text, std::vector<std::string>{"new"});

  target.Assign(target);
  EXPECT_EQ(target.Text, std::vector<std::string>{"new"});

  target.ResetReply();
  EXPECT_EQ(target.NumericCode, 0);
  EXPECT_TRUE(target.Text.empty());
}

}  // namespace
}  // namespace horalux
