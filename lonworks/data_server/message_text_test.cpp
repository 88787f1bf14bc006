#include "lonworks/data_server/message_text.h"

#include <gtest/gtest.h>

#include "lonworks/data_server/device_endpoint.h"

using lcadatsv::DeviceHandleOfName;
using lcadatsv::FormatReplyText;
using lcadatsv::ParseRequestText;
using Bytes = std::vector<std::uint8_t>;

TEST(RequestText, DecimalValuesSeparatedByAnyRunOfBlanks) {
  EXPECT_EQ(ParseRequestText("01 61 02 01"), Bytes({1, 61, 2, 1}));
  EXPECT_EQ(ParseRequestText("  1   61\t2 \t 1  "), Bytes({1, 61, 2, 1}));
  EXPECT_EQ(ParseRequestText("000255 0"), Bytes({255, 0}));
  EXPECT_EQ(ParseRequestText("00000000000000000000007"), Bytes({7}));
  EXPECT_EQ(ParseRequestText(""), Bytes());
  EXPECT_EQ(ParseRequestText("   "), Bytes());
}

TEST(RequestText, AnythingButBytesIsRefused) {
  for (const char* bad : {"256", "1 2 999", "1,2", "0x10", "-1", "+1", "1 a", "12b", "1\n2", "99999999999999999999"})
    EXPECT_FALSE(ParseRequestText(bad).has_value()) << bad;
}

TEST(ReplyText, TabSeparatedDecimalBytes) {
  EXPECT_EQ(FormatReplyText({0, 1, 97, 255}), "0\t1\t97\t255");
  EXPECT_EQ(FormatReplyText({7}), "7");
  EXPECT_EQ(FormatReplyText({}), "");
}

TEST(DeviceName, HashThenTheHandleAsTheHostWritesIt) {
  EXPECT_EQ(DeviceHandleOfName("# 17"), 17);
  EXPECT_EQ(DeviceHandleOfName("#-5"), -5);
  EXPECT_EQ(DeviceHandleOfName("# 0"), 0);
  EXPECT_EQ(DeviceHandleOfName("#17"), 17);
  EXPECT_EQ(DeviceHandleOfName("# 2147483647"), 2147483647);
  EXPECT_EQ(DeviceHandleOfName("#-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", "#", "# ", "#-", "17", "# 17 ", " # 17", "#  17", "# -5", "# +5", "# 1x", "# 2147483648",
                          "#-2147483649", "Router 1"})
    EXPECT_FALSE(DeviceHandleOfName(bad).has_value()) << bad;
}
