#include "base/format.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

TEST(Fmt, FillsInOrderAndToleratesMismatchedArguments) {
  EXPECT_EQ(Fmt("a %d b %s c", {-3, "x"}), "a -3 b x c");
  EXPECT_EQ(Fmt("Connected.", {"host"}), "Connected.");
  EXPECT_EQ(Fmt("%s and %s", {"one"}), "one and ");
  EXPECT_EQ(Fmt("100%% %q", {}), "100% %q");
}

}  // namespace
}  // namespace horalux
