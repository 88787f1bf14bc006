#include "device_protocol/dial_mode.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/support/qt_printers.h"

namespace dp = device_protocol;
using dp::DialMode;

namespace {

TEST(DialModeText, BuildersWriteElevenFields) {
  EXPECT_EQ(dp::DialModeManualText(), "MANUAL,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(dp::DialModeManualEntryText(4), "MANUAL,4,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(dp::DialModeManualEntryText(12), "MANUAL,12,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(dp::DialModePerpetualText(3), "PERPETUAL,3,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(dp::DialModeDodText("2", "5", "60", "3"), "DOD,2,5,60,3,0,0,0,0,0,0");
  for (const QString& text : {dp::DialModeManualText(), dp::DialModeManualEntryText(63), dp::DialModePerpetualText(0),
                              dp::DialModeDodText("0", "15", "120", "9")})
    EXPECT_EQ(text.count(u','), 10) << text.toStdString();
}

TEST(DialModeText, ReaderTellsTheModeByItsPrefix) {
  const dp::DialModeSetting perpetual = dp::ParseDialModeText("PERPETUAL,3,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(perpetual.mode, DialMode::Perpetual);
  EXPECT_EQ(perpetual.entry, 3);

  EXPECT_EQ(dp::ParseDialModeText("MANUAL,0,0,0,0,0,0,0,0,0,0").mode, DialMode::Manual);
  EXPECT_EQ(dp::ParseDialModeText("MANUAL,4,0,0,0,0,0,0,0,0,0").entry, 4);
  EXPECT_EQ(dp::ParseDialModeText("MANUALLY").mode, DialMode::Manual);
  EXPECT_EQ(dp::ParseDialModeText("manual,0").mode, DialMode::Perpetual);  // case-sensitive
  EXPECT_EQ(dp::ParseDialModeText("MANUA,0").mode, DialMode::Perpetual);

  const dp::DialModeSetting dod = dp::ParseDialModeText("DOD,2,5,60,3,0,0,0,0,0,0");
  EXPECT_EQ(dod.mode, DialMode::DialOnDemand);
  EXPECT_EQ(dod.dodFields, (std::array<QString, 4>{"2", "5", "60", "3"}));
  EXPECT_EQ(dp::ParseDialModeText("DOD,1").dodFields, (std::array<QString, 4>{"1", "", "", ""}));
}

TEST(DialModeText, PerpetualEntryIsTheNumericValueOfTheSecondField) {
  EXPECT_EQ(dp::ParseDialModeText("PERPETUAL, 12,0").entry, 12);
  EXPECT_EQ(dp::ParseDialModeText("PERPETUAL,7x,0").entry, 7);
  EXPECT_EQ(dp::ParseDialModeText("PERPETUAL,x,0").entry, 0);
  EXPECT_EQ(dp::ParseDialModeText("PERPETUAL").entry, 0);
  EXPECT_EQ(dp::ParseDialModeText("").mode, DialMode::Perpetual);
  EXPECT_EQ(dp::ParseDialModeText("").entry, 0);
  EXPECT_EQ(dp::ParseDialModeText("PERPETUAL,-3").entry, 0);
  EXPECT_EQ(dp::ParseDialModeText("PERPETUAL,99999999999999").entry, INT_MAX);
}

TEST(ExplicitDialMode, ValueFourIsTheModeAndValueFiveTheEntry) {
  EXPECT_EQ(dp::ExplicitDialModeFromReply("1\t69\t0\t0\t0\t0"), (dp::ExplicitDialMode{false, "0"}));
  EXPECT_EQ(dp::ExplicitDialModeFromReply("1\t69\t0\t0\t1\t12"), (dp::ExplicitDialMode{true, "12"}));
  EXPECT_EQ(dp::ExplicitDialModeFromReply("1\t69\t0\t0\t2"), (dp::ExplicitDialMode{true, ""}));
  EXPECT_EQ(dp::ExplicitDialModeFromReply("1\t69\t0\t0\t00\t1"), (dp::ExplicitDialMode{true, "1"}));
  EXPECT_FALSE(dp::ExplicitDialModeFromReply("Message Failed"));
  EXPECT_FALSE(dp::ExplicitDialModeFromReply("Message Timeout"));
  EXPECT_FALSE(dp::ExplicitDialModeFromReply("1\t69\t0\t0"));
  EXPECT_FALSE(dp::ExplicitDialModeFromReply(""));
}

}  // namespace
