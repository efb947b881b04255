#include "server/command_handler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace horalux {
namespace {

using Args = std::vector<std::string>;

// The text after the command word, or "no match".
std::string Match(const TIdCommandHandler& handler, const std::string& line) {
  std::string argumentText;
  return handler.Matches(line, argumentText) ? argumentText : "no match";
}

TEST(CommandHandler, MatchesTheWholeLineOrTheWordAndItsDelimiterIgnoringCase) {
  TIdCommandHandler handler;
  handler.Command = "HELO";
  EXPECT_EQ(Match(handler, "helo"), "");
  EXPECT_EQ(Match(handler, "Helo there you"), "there you");
  EXPECT_EQ(Match(handler, "HELO "), "");
  EXPECT_EQ(Match(handler, "HELOX"), "no match");
  EXPECT_EQ(Match(handler, "HEL"), "no match");
  EXPECT_EQ(Match(handler, " HELO"), "no match");

  handler.CmdDelimiter = ':';
  EXPECT_EQ(Match(handler, "helo:a b"), "a b");
  EXPECT_EQ(Match(handler, "HELO a"), "no match");
}

TEST(CommandHandler, WithoutADelimiterTheArgumentsFollowTheWordDirectly) {
  TIdCommandHandler handler;
  handler.Command = "GET";
  handler.CmdDelimiter = '\0';
  EXPECT_EQ(Match(handler, "GETfile"), "file");
  EXPECT_EQ(Match(handler, "get file"), " file");
  EXPECT_EQ(Match(handler, "GE"), "no match");
}

TEST(CommandHandler, SpaceSplitsVerbatimAnyOtherDelimiterTrims) {
  TIdCommandHandler handler;
  EXPECT_EQ(handler.SplitArguments("a b"), (Args{"a", "b"}));
  EXPECT_EQ(handler.SplitArguments("a  b"), (Args{"a", "", "b"}));
  EXPECT_EQ(handler.SplitArguments(" a"), (Args{"", "a"}));
  EXPECT_EQ(handler.SplitArguments("a b "), (Args{"a", "b"}));
  EXPECT_EQ(handler.SplitArguments(""), Args{});

  handler.ParamDelimiter = ',';
  EXPECT_EQ(handler.SplitArguments(" a , b c ,c"), (Args{"a", "b c", "c"}));
  EXPECT_EQ(handler.SplitArguments("a,, b"), (Args{"a", "", "b"}));
}

TEST(CommandHandler, NameIsTheClassNameAndCollectionIdUnlessSet) {
  struct Handlers : TCollection {
    TIdCommandHandler& Add() { return TCollection::Add<TIdCommandHandler>(); }
  } handlers;
  TIdCommandHandler& first = handlers.Add();
  TIdCommandHandler& second = handlers.Add();
  EXPECT_EQ(first.Name(), "TIdCommandHandler0");
  EXPECT_EQ(second.Name(), "TIdCommandHandler1");
  second.SetName("Quit");
  EXPECT_EQ(second.Name(), "Quit");
}

TEST(CommandHandler, DefaultsAreThoseOfALineProtocol) {
  TIdCommandHandler handler;
  EXPECT_EQ(handler.CmdDelimiter, ' ');
  EXPECT_EQ(handler.ParamDelimiter, ' ');
  EXPECT_TRUE(handler.Enabled);
  EXPECT_TRUE(handler.ParseParams);
  EXPECT_FALSE(handler.Disconnect);
  EXPECT_EQ(handler.ReplyExceptionCode, 0);
  EXPECT_FALSE(handler.ReplyNormal.HasContent());
}

}  // namespace
}  // namespace horalux
