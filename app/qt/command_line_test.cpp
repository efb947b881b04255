#include "app/qt/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace horalux {
namespace {

TCommandLineAction Parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "horalux");
  return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

TEST(CommandLine, HelpAndVersionAnswerWhateverQtOptionsStandBeforeThem) {
  EXPECT_EQ(Parse({"--help"}).kind, TCommandLineAction::kHelp);
  EXPECT_EQ(Parse({"-platform", "offscreen", "-h"}).kind, TCommandLineAction::kHelp);
  EXPECT_EQ(Parse({"--version", "--help"}).kind, TCommandLineAction::kVersion);
}

TEST(CommandLine, QtsOwnOptionsRunTheProgram) {
  EXPECT_EQ(Parse({}).kind, TCommandLineAction::kRun);
  EXPECT_EQ(Parse({"-platform", "offscreen", "--display", ":1", "-reverse", "-style=Fusion"}).kind,
            TCommandLineAction::kRun);
}

TEST(CommandLine, AnythingElseIsAnErrorNamingIt) {
  EXPECT_EQ(Parse({"--bogus", "--help"}).error, "unknown option '--bogus'");
  EXPECT_EQ(Parse({"-v"}).error, "unknown option '-v'");
  EXPECT_EQ(Parse({"time.example"}).error, "unexpected argument 'time.example'");
  EXPECT_EQ(Parse({"-platform"}).error, "option '-platform' needs a value");
  EXPECT_EQ(Parse({"-platform"}).kind, TCommandLineAction::kError);
}

}  // namespace
}  // namespace horalux
