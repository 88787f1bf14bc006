#include "device_protocol/requests.h"

#include <gtest/gtest.h>

#include "device_protocol/modem.h"
#include "tests/support/qt_printers.h"

namespace dp = device_protocol;
using dp::Modem;
using dp::ModemSelector;

namespace {

constexpr ModemSelector kInt = ModemSelector::Internal;
constexpr ModemSelector kExt1 = ModemSelector::External1;
constexpr ModemSelector kExt2 = ModemSelector::External2;

struct Built {
  QString actual;
  const char* expected;
};

void expectAll(std::initializer_list<Built> rows) {
  int row = 0;
  for (const Built& b : rows) {
    EXPECT_EQ(b.actual, QString::fromLatin1(b.expected)) << "row " << row;
    ++row;
  }
}

TEST(Requests, DeviceAndModemCommandsHaveTheirExactTexts) {
  expectAll({
      {dp::PresenceProbe(), "00 01 48 00"},
      {dp::SoftReboot(), "00 01 14 00"},
      {dp::PulseServicePin(), "00 01 19 00"},
      {dp::ReadModemSetting(), "00 01 73 02"},
      {dp::MuteInputAudio(), "00 01 34 00 01"},
      {dp::UnmuteInputAudio(), "00 01 34 00 00"},
      {dp::HangUp(kInt), "00 01 08 00"},
      {dp::HangUp(kExt1), "00 01 08 02"},
      {dp::HangUp(kExt2), "00 01 08 03"},
      {dp::ModemStatus(kInt), "00 01 53 00"},
      {dp::ModemStatus(kExt1), "00 01 53 02"},
      {dp::ModemStatus(kExt2), "00 01 53 03"},
      {dp::ConnectionDetails(kInt), "00 01 57 00"},
      {dp::ConnectionDetails(kExt1), "00 01 57 02"},
      {dp::ConnectionDetails(kExt2), "00 01 57 03"},
      {dp::ReadModemStatistics(kInt), "00 01 61 00 00"},
      {dp::ReadModemStatistics(kExt1), "00 01 61 02 00"},
      {dp::ReadModemStatistics(kExt2), "00 01 61 03 00"},
      {dp::ClearModemStatistics(kInt), "00 01 61 00 01"},
      {dp::ClearModemStatistics(kExt1), "00 01 61 02 01"},
      {dp::ClearModemStatistics(kExt2), "00 01 61 03 01"},
      {dp::AutoAnswerOn(kInt), "00 01 65 00 01"},
      {dp::AutoAnswerOn(kExt1), "00 01 65 02 01"},
      {dp::AutoAnswerOn(kExt2), "00 01 65 03 01"},
      {dp::AutoAnswerOff(kInt), "00 01 65 00 00"},
      {dp::AutoAnswerOff(kExt1), "00 01 65 02 00"},
      {dp::AutoAnswerOff(kExt2), "00 01 65 03 00"},
      {dp::ReadRingMode(), "00 01 72 00 02"},
      {dp::RingStatusStart(), "00 01 55 00 03"},
      {dp::RingStatusPoll(), "00 01 55 00 04"},
      {dp::RingStatusNext(), "00 01 55 00 05"},
  });
}

TEST(Requests, DialModeCommandsWriteTheEntryInTwoDigits) {
  expectAll({
      {dp::SetManualMode(kInt), "00 01 69 00 01 00"},
      {dp::SetManualMode(kExt1), "00 01 69 02 01 00"},
      {dp::SetManualMode(kExt2), "00 01 69 03 01 00"},
      {dp::SetPerpetualMode(kInt, 5), "00 01 69 00 01 01 05"},
      {dp::SetPerpetualMode(kExt1, 7), "00 01 69 02 01 01 07"},
      {dp::SetPerpetualMode(kInt, 12), "00 01 69 00 01 01 12"},
      {dp::SetPerpetualMode(kExt2, 0), "00 01 69 03 01 01 00"},
      {dp::ReadDialMode(kInt), "00 01 69 00 02"},
      {dp::ReadDialMode(kExt1), "00 01 69 02 02"},
      {dp::ReadDialMode(kExt2), "00 01 69 03 02"},
  });
}

TEST(Requests, DialStringsAreSentAsCharacterCodesEndedByZero) {
  expectAll({
      {dp::DialStringCodes("123"), "49 50 51 0"},
      {dp::DialStringCodes("9,123"), "57 44 49 50 51 0"},
      {dp::DialStringCodes("5"), "53 0"},
      {dp::DialStringCodes(""), "0"},
      {dp::DialNumber(kExt1, "12"), "00 01 32 02 49 50 0"},
      {dp::DialNumber(kInt, "9,123"), "00 01 32 00 57 44 49 50 51 0"},
      {dp::DialNumber(kExt2, "1"), "00 01 32 03 49 0"},
      // Typed numbers keep their blanks.
      {dp::DialNumber(kInt, " 1 "), "00 01 32 00 32 49 32 0"},
      // A character that is not a byte goes as "?" (63), never as a wider value.
      {dp::DialStringCodes(QString::fromUtf8("1\u20AC2")), "49 63 50 0"},
      {dp::DialStringCodes(QString(QChar(233))), "233 0"},
  });
}

TEST(Requests, PhonebookEntriesUseTwoDigitsToStoreAndPlainNumbersToEraseAndRead) {
  expectAll({
      {dp::StoreEntry(5, ""), "00 01 66 00 01 05 00"},
      {dp::StoreEntry(5, "5"), "00 01 66 00 01 05 53 00"},
      {dp::StoreEntry(12, "123"), "00 01 66 00 01 12 49 50 51 00"},
      {dp::StoreEntry(63, "9"), "00 01 66 00 01 63 57 00"},
      {dp::StoreEntry(0, "1"), "00 01 66 00 01 00 49 00"},
      {dp::StoreEntryResync(5, "5"), "00 01 66 00 01 05 53  0"},
      {dp::StoreEntryResync(5, ""), "00 01 66 00 01 05  0"},
      {dp::StoreEntryResync(12, "12"), "00 01 66 00 01 12 49 50  0"},
      {dp::EraseEntry(5), "00 01 66 00 01 5 0"},
      {dp::EraseEntry(12), "00 01 66 00 01 12 0"},
      {dp::EraseEntry(0), "00 01 66 00 01 0 0"},
      {dp::ReadEntry(5), "00 01 66 00 02 5"},
      {dp::ReadEntry(12), "00 01 66 00 02 12"},
      {dp::ReadEntry(0), "00 01 66 00 02 0"},
      {dp::PhonebookProbe(), "00 01 66 00 02 00"},
  });
}

TEST(Requests, RingModeApplySendsTimesHighByteFirst) {
  EXPECT_EQ(dp::RingModeApply(true, "5", 2000, 10000), "00 01 72 00 01 01 5 7 208 39 16");
  EXPECT_EQ(dp::RingModeApply(false, "05", 1280, 65000), "00 01 72 00 01 00 05 5 0 253 232");
  EXPECT_EQ(dp::RingModeApply(true, " 64 ", 0, 65535), "00 01 72 00 01 01 64 0 0 255 255");
  EXPECT_EQ(dp::RingModeApply(true, "0", 255, 256), "00 01 72 00 01 01 0 0 255 1 0");
}

TEST(Requests, RingModeApplyRefusesValuesWithoutAByteEncoding) {
  EXPECT_FALSE(dp::RingModeApply(true, "5", 65536, 10000));
  EXPECT_FALSE(dp::RingModeApply(true, "5", 2000, -1));
  EXPECT_FALSE(dp::RingModeApply(true, "5", -1, 10000));
  EXPECT_FALSE(dp::RingModeApply(true, "5", 2000, 70000));
  for (const char* unit : {"", "256", "1000", "5e1", "5 6", "-1", "x", "0x10"})
    EXPECT_FALSE(dp::RingModeApply(true, unit, 2000, 10000)) << unit;
  EXPECT_TRUE(dp::RingModeApply(true, "255", 2000, 10000));
}

TEST(ModemSelector, TextsAndDirectMapping) {
  EXPECT_EQ(dp::SelectorText(kInt), "00");
  EXPECT_EQ(dp::SelectorText(kExt1), "02");
  EXPECT_EQ(dp::SelectorText(kExt2), "03");
  EXPECT_EQ(dp::SelectorOf(Modem::Internal), kInt);
  EXPECT_EQ(dp::SelectorOf(Modem::External1), kExt1);
  EXPECT_EQ(dp::SelectorOf(Modem::External2), kExt2);
  EXPECT_EQ(dp::ModemDisplayName(Modem::Internal), "Internal Modem");
  EXPECT_EQ(dp::ModemDisplayName(Modem::External1), "External Modem 1");
  EXPECT_EQ(dp::ModemDisplayName(Modem::External2), "External Modem 2");
  EXPECT_EQ(dp::AutoAnswerField(Modem::Internal), 1);
  EXPECT_EQ(dp::AutoAnswerField(Modem::External1), 2);
  EXPECT_EQ(dp::AutoAnswerField(Modem::External2), 3);
}

// Names as a resource file might give them; deliberately not the usual ones,
// so nothing can depend on hard-coded names.
const dp::ModemNames kNames{"Modem A", "Modem B", "Modem C"};

TEST(ModemSelector, ExplicitWindowFallsBackToExternalModem2) {
  EXPECT_EQ(dp::ExplicitWindowModem("Modem A", kNames), Modem::Internal);
  EXPECT_EQ(dp::ExplicitWindowModem("Modem B", kNames), Modem::External1);
  EXPECT_EQ(dp::ExplicitWindowModem("Modem C", kNames), Modem::External2);
  EXPECT_EQ(dp::ExplicitWindowModem("", kNames), Modem::External2);
  EXPECT_EQ(dp::ExplicitWindowModem("modem a", kNames), Modem::External2);  // case-sensitive
  EXPECT_EQ(dp::ExplicitWindowModem("Device Globals", kNames), Modem::External2);
  // A missing resource string never makes the empty choice match it.
  EXPECT_EQ(dp::ExplicitWindowModem("", dp::ModemNames{"", "", ""}), Modem::External2);
}

TEST(ModemSelector, StatisticsWindowFallsBackToTheInternalModem) {
  EXPECT_EQ(dp::StatisticsModem("Modem A", kNames), Modem::Internal);
  EXPECT_EQ(dp::StatisticsModem("Modem B", kNames), Modem::External1);
  EXPECT_EQ(dp::StatisticsModem("Modem C", kNames), Modem::External2);
  EXPECT_EQ(dp::StatisticsModem("", kNames), Modem::Internal);
  EXPECT_EQ(dp::StatisticsModem("Device Globals", kNames), Modem::Internal);
  EXPECT_EQ(dp::ReadModemStatistics(dp::SelectorOf(dp::StatisticsModem("Modem C", kNames))), "00 01 61 03 00");
  EXPECT_EQ(dp::ReadModemStatistics(dp::SelectorOf(dp::StatisticsModem("unknown", kNames))), "00 01 61 00 00");
  EXPECT_EQ(dp::StatisticsModem("", dp::ModemNames{"", "", ""}), Modem::Internal);
}

TEST(ModemSelector, ObjectOpenShiftsSelectorsWithoutTheInternalModem) {
  EXPECT_EQ(dp::ModemObjectByName("Modem A", kNames), Modem::Internal);
  EXPECT_EQ(dp::ModemObjectByName("Modem B", kNames), Modem::External1);
  EXPECT_EQ(dp::ModemObjectByName("Modem C", kNames), Modem::External2);
  EXPECT_FALSE(dp::ModemObjectByName("Device Globals", kNames));
  EXPECT_FALSE(dp::ModemObjectByName("", kNames));

  EXPECT_EQ(dp::ObjectOpenSelector(Modem::Internal, true), kInt);
  EXPECT_EQ(dp::ObjectOpenSelector(Modem::External1, true), kExt1);
  EXPECT_EQ(dp::ObjectOpenSelector(Modem::External2, true), kExt2);
  EXPECT_EQ(dp::ObjectOpenSelector(Modem::Internal, false), kExt1);
  EXPECT_EQ(dp::ObjectOpenSelector(Modem::External1, false), kExt2);
  EXPECT_EQ(dp::ObjectOpenSelector(Modem::External2, false), kExt2);
}

}  // namespace
