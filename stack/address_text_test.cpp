#include "stack/address_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "stack/exceptions.h"
#include "stack/int_conversion.h"
#include "stack/platform_stack.h"

namespace horalux {
namespace {

TEST(TryStrToInt, FollowsTheRuntimeRules) {
  EXPECT_EQ(TryStrToInt("42"), 42);
  EXPECT_EQ(TryStrToInt("  42"), 42);
  EXPECT_EQ(TryStrToInt("+7"), 7);
  EXPECT_EQ(TryStrToInt("-7"), -7);
  EXPECT_EQ(TryStrToInt("$ff"), 255);
  EXPECT_EQ(TryStrToInt("x1F"), 31);
  EXPECT_EQ(TryStrToInt("0x10"), 16);
  EXPECT_EQ(TryStrToInt("-$10"), -16);
  EXPECT_EQ(TryStrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(TryStrToInt("010"), 10);
  EXPECT_EQ(TryStrToInt("2147483647"), INT32_MAX);
  EXPECT_EQ(TryStrToInt("-2147483648"), INT32_MIN);
}

TEST(TryStrToInt, RejectsWhatIsNotOneWholeNumber) {
  for (const char* text : {"", " ", "+", "-", "$", "0x", "4 ", "4a", "1.5", "\t4", "2147483648",
                           "$123456789", "99999999999999999999"}) {
    EXPECT_FALSE(TryStrToInt(text).has_value()) << '"' << text << '"';
  }
  EXPECT_THROW(StrToInt("abc"), EConvertError);
}

TEST(IsDottedQuad, NeedsFourPartsFrom0To255) {
  EXPECT_TRUE(TIdStack::IsDottedQuad("192.168.0.1"));
  EXPECT_TRUE(TIdStack::IsDottedQuad("010.0.0.1"));
  EXPECT_TRUE(TIdStack::IsDottedQuad("0x7f.0.0.$1"));
  EXPECT_TRUE(TIdStack::IsDottedQuad(" 1.2.3.4"));
  EXPECT_FALSE(TIdStack::IsDottedQuad(""));
  EXPECT_FALSE(TIdStack::IsDottedQuad("1.2.3"));
  EXPECT_FALSE(TIdStack::IsDottedQuad("1.2.3.4.5"));
  EXPECT_FALSE(TIdStack::IsDottedQuad("10.1.2.300"));
  EXPECT_FALSE(TIdStack::IsDottedQuad("1.2.-3.4"));
  EXPECT_FALSE(TIdStack::IsDottedQuad("1.2.3.4 "));
  EXPECT_FALSE(TIdStack::IsDottedQuad("localhost"));
  EXPECT_FALSE(TIdStack::IsDottedQuad("1..3.4"));
}

TEST(TextToAddress, TakesFourHeadsAndIgnoresTheRest) {
  TIdStackPlatform stack;
  EXPECT_EQ(stack.TextToAddress("192.168.0.1"), (TIdAddressBytes{192, 168, 0, 1}));
  EXPECT_EQ(stack.TextToAddress("1.2.3.4.5"), (TIdAddressBytes{1, 2, 3, 4}));
  EXPECT_EQ(stack.TextToAddress("1.2.3.260"), (TIdAddressBytes{1, 2, 3, 4}));
  EXPECT_THROW(stack.TextToAddress("1.2.x.4"), EConvertError);
  EXPECT_THROW(stack.TextToAddress("1.2.3"), EConvertError);
  EXPECT_EQ(stack.AddressToText({192, 168, 0, 1}), "192.168.0.1");
  EXPECT_EQ(stack.AddressToText(stack.TextToAddress("010.000.0.9")), "10.0.0.9");
}

TEST(AddressValueOf, IsTheBytesInMemoryOrder) {
  TIdStackPlatform stack;
  const std::uint32_t value = stack.AddressValueOf("127.0.0.1");
  unsigned char bytes[4];
  std::memcpy(bytes, &value, 4);
  EXPECT_EQ(bytes[0], 127);
  EXPECT_EQ(bytes[1], 0);
  EXPECT_EQ(bytes[2], 0);
  EXPECT_EQ(bytes[3], 1);
}

TEST(CutHead, RemovesHeadAndDelimiter) {
  std::string text = "a.b";
  EXPECT_EQ(CutHead(text, "."), "a");
  EXPECT_EQ(text, "b");
  EXPECT_EQ(CutHead(text, "."), "b");
  EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace horalux
