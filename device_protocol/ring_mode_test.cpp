#include "device_protocol/ring_mode.h"

#include <gtest/gtest.h>

#include "device_protocol/requests.h"
#include "tests/support/qt_printers.h"

namespace dp = device_protocol;

namespace {

dp::RingModeParameters params(bool enabled, const char* unit, const char* delay, const char* interval) {
  return dp::RingModeParameters{enabled, unit, delay, interval};
}

TEST(RingModeFromReply, PadsValuesAndCombinesHighAndLowBytes) {
  EXPECT_EQ(dp::RingModeFromReply("1\t72\t0\t0\t1\t5\t7\t208\t39\t16"), params(true, "05", "2000", "10000"));
  EXPECT_EQ(dp::RingModeFromReply("1\t72\t0\t0\t1\t5\t5\t0\t39\t16").propagationDelay, "1280");
  EXPECT_EQ(dp::RingModeFromReply("1\t72\t0\t0\t0\t12\t0\t0\t0\t0"), params(false, "12", "2000", "10000"));
  EXPECT_EQ(dp::RingModeFromReply("1\t72\t0\t0\t1\t64\t29\t76\t253\t232"), params(true, "64", "7500", "65000"));
  // Only "01" (after padding) means enabled.
  EXPECT_FALSE(dp::RingModeFromReply("1\t72\t0\t0\t2\t5\t7\t208\t39\t16").enabled);
  EXPECT_TRUE(dp::RingModeFromReply("1\t72\t0\t0\t01\t5\t7\t208\t39\t16").enabled);
  // A short reply: no unit, default times, disabled.
  EXPECT_EQ(dp::RingModeFromReply("1\t72\t0"), params(false, "", "2000", "10000"));
}

TEST(RingModeFromReply, ReadValuesGoBackOutUnchanged) {
  const dp::RingModeParameters p = dp::RingModeFromReply("1\t72\t0\t0\t1\t5\t7\t208\t39\t16");
  EXPECT_EQ(dp::RingModeApply(p.enabled, p.unitId, p.propagationDelay.toInt(), p.testInterval.toInt()),
            "00 01 72 00 01 01 05 7 208 39 16");
}

TEST(RingModeProperty, SplitsAtTheFirstThreeCommas) {
  using Four = std::array<QString, 4>;
  EXPECT_EQ(dp::SplitRingModeProperty("Enable,5,2000,10000"), (Four{"Enable", "5", "2000", "10000"}));
  EXPECT_EQ(dp::SplitRingModeProperty("Disable, 3, 0, 0"), (Four{"Disable", " 3", " 0", " 0"}));
  EXPECT_EQ(dp::SplitRingModeProperty("a,b,c,d,e"), (Four{"a", "b", "c", "d,e"}));
  EXPECT_EQ(dp::SplitRingModeProperty("Enable,5"), (Four{"Enable", "5", "", ""}));
  EXPECT_EQ(dp::SplitRingModeProperty(""), (Four{"", "", "", ""}));
  EXPECT_EQ(dp::SplitRingModeProperty(",,,"), (Four{"", "", "", ""}));
}

TEST(RingModeProperty, ReadsFieldsTrimmedWithDefaultsForZeroTimes) {
  EXPECT_EQ(dp::RingModeFromProperty("Disable, 3, 0, 0"), params(false, "3", "2000", "10000"));
  EXPECT_EQ(dp::RingModeFromProperty("Enable,5,2500,20000"), params(true, "5", "2500", "20000"));
  // Anything but "Disable" enables, as the window ticks the box unless told otherwise.
  EXPECT_TRUE(dp::RingModeFromProperty("disable,1,0,0").enabled);
  EXPECT_TRUE(dp::RingModeFromProperty("").enabled);
  EXPECT_EQ(dp::RingModeFromProperty(" Disable ,1,00,0").propagationDelay, "00");

  EXPECT_EQ(dp::RingModePropertyText(true, "5", "2000", "10000"), "Enable,5,2000,10000");
  EXPECT_EQ(dp::RingModePropertyText(false, "3", "1000", "65000"), "Disable,3,1000,65000");
  EXPECT_EQ(dp::RingModeFromProperty(dp::RingModePropertyText(false, "7", "3000", "12000")),
            params(false, "7", "3000", "12000"));
}

TEST(RingStatusEntry, FieldsFromValuesFourToSixteen) {
  const dp::ReplyValues values = dp::SplitReplyText("1\t55\t0\t0\t3\t0\t161\t15\t255\t1\t2\t4\t1\t0\t1\t6\t2");
  const dp::RingStatusEntry e = dp::RingStatusEntryFromReply(values);
  EXPECT_EQ(e.UnitId, 3);
  EXPECT_EQ(e.NeuronIdText, "00A10FFF0102");
  EXPECT_EQ(e.FallbackEndUnit, 4);
  EXPECT_TRUE(e.InRingMode);
  EXPECT_FALSE(e.TestRunning);
  EXPECT_TRUE(e.RingClosed);
  EXPECT_EQ(e.OpenEndCountA, 6);
  EXPECT_EQ(e.OpenEndCountB, 2);
  EXPECT_FALSE(dp::IsLastRingStatusReply(values));

  const dp::ReplyValues last = dp::SplitReplyText("1\t55\t0\t0\t255\t0\t0\t0\t0\t0\t0\t0\t2\t1\t0\t0\t0");
  EXPECT_TRUE(dp::IsLastRingStatusReply(last));
  EXPECT_EQ(dp::RingStatusEntryFromReply(last).UnitId, 255);
  EXPECT_TRUE(dp::RingStatusEntryFromReply(last).InRingMode);  // any nonzero value is true
}

TEST(RingStatusEntry, ShortAndFailedRepliesGiveEmptyEntries) {
  const dp::RingStatusEntry blank = dp::RingStatusEntryFromReply(dp::SplitReplyText("1\t55\t0"));
  EXPECT_EQ(blank, (dp::RingStatusEntry{0, "000000000000", 0, false, false, false, 0, 0}));
  const dp::ReplyValues failed = dp::SplitReplyText("Message Timeout");
  EXPECT_FALSE(dp::RingStatusEntryFromReply(failed).InRingMode);
  EXPECT_FALSE(dp::IsLastRingStatusReply(failed));
  // Values are trimmed before use: a blank inside a value does not break it.
  EXPECT_EQ(dp::RingStatusEntryFromReply(dp::SplitReplyText("1\t55\t0\t0\t 7")).UnitId, 7);
}

TEST(NeuronIdText, TwoUpperCaseHexDigitsPerByte) {
  EXPECT_EQ(dp::NeuronIdText(dp::SplitReplyText("0\t0\t0\t0\t0\t1\t35\t69\t103\t137\t171")), "0123456789AB");
  EXPECT_EQ(dp::NeuronIdText(dp::SplitReplyText("0\t0\t0\t0\t0\t205\t239\t0\t10\t16\t255")), "CDEF000A10FF");
  // Non-numeric values count as 0; a value above 255 keeps its low eight bits.
  EXPECT_EQ(dp::NeuronIdText(dp::SplitReplyText("0\t0\t0\t0\t0\tab\t256\t999")), "0000E7000000");
}

}  // namespace
