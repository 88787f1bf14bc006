#include "device_protocol/status_tables.h"

#include <gtest/gtest.h>

#include "device_protocol/failure_reports.h"
#include "tests/support/qt_printers.h"

namespace dp = device_protocol;

namespace {

TEST(TelephoneState, NamesEveryCodeOfTheTableAndNothingElse) {
  const struct {
    const char* code;
    const char* name;
  } table[] = {
      {"0", "TEL_NOTINUSE"}, {"1", "TEL_OFFHOOK"},  {"2", "TEL_DIALING"}, {"3", "TEL_DIALCOMP"},
      {"6", "TEL_RINGING"},  {"7", "TEL_ANSWERED"}, {"9", "TEL_TALKING"}, {"10", "TEL_HANGINGUP"},
      {"12", "TEL_HOLD"},    {"20", "TEL_ERROR"},   {"255", "TEL_NUL"},
  };
  for (const auto& row : table)
    EXPECT_EQ(dp::TelephoneState(row.code), QString::fromLatin1(row.name)) << row.code;
  EXPECT_EQ(dp::TelephoneState("0"), QString::fromLatin1(dp::kTelNotInUse));
  EXPECT_EQ(dp::TelephoneState("9"), QString::fromLatin1(dp::kTelTalking));
  for (const char* code : {"4", "5", "8", "11", "13", "19", "21", "254", "09", " 9", "9 ", "", "256", "TEL"})
    EXPECT_FALSE(dp::TelephoneState(code).has_value()) << code;
}

TEST(ConnectionTables, SpeedModulationAndErrorCorrection) {
  const char* speeds[] = {"n/a",  "1200/75",          "75/1200", "0-300", "1200",  "2400",  "4800",
                          "7200", "9600 non-trellis", "9600",    "12000", "14400", "16800", "19200"};
  for (int code = 0; code < 14; ++code)
    EXPECT_EQ(dp::ConnectSpeedTable(QString::number(code)), QString::fromLatin1(speeds[code])) << code;
  EXPECT_EQ(dp::ConnectSpeedTable("14"), "");
  EXPECT_EQ(dp::ConnectSpeedTable("09"), "");

  EXPECT_EQ(dp::ModulationText("0"), "n/a");
  EXPECT_EQ(dp::ModulationText("1"), "V.32");
  EXPECT_EQ(dp::ModulationText("2"), "V.32 bis/terbo");
  EXPECT_EQ(dp::ModulationText("3"), "");

  EXPECT_EQ(dp::ErrorCorrectionText("0"), "n/a");
  EXPECT_EQ(dp::ErrorCorrectionText("1"), "");
  EXPECT_EQ(dp::ErrorCorrectionText("2"), "V.42");
  EXPECT_EQ(dp::ErrorCorrectionText("3"), "V.42/V.42bis");
  EXPECT_EQ(dp::ErrorCorrectionText("4"), "MNP");
  EXPECT_EQ(dp::ErrorCorrectionText("5"), "MNP/MNP5");
  EXPECT_EQ(dp::ErrorCorrectionText("6"), "");
}

TEST(ConnectionLine, AppendsABlankAndTheTextOfEachKnownCode) {
  EXPECT_EQ(dp::ConnectionLine("9", "1", "3"), "Connect 9600 V.32 V.42/V.42bis");
  EXPECT_EQ(dp::ConnectionLine("0", "0", "0"), "Connect n/a n/a n/a");
  EXPECT_EQ(dp::ConnectionLine("14", "3", "1"), "Connect");
  EXPECT_EQ(dp::ConnectionLine("8", "9", "5"), "Connect 9600 non-trellis MNP/MNP5");
  EXPECT_EQ(dp::ConnectionLine(dp::SplitReplyText("1\t57\t0\t11\t2\t4")), "Connect 14400 V.32 bis/terbo MNP");
  EXPECT_EQ(dp::ConnectionLine(dp::SplitReplyText("1\t57\t0\t13")), "Connect 19200");
  EXPECT_EQ(dp::ConnectionLine(dp::SplitReplyText("Message Timeout")), "Connect");
  EXPECT_EQ(dp::ConnectionLine(dp::SplitReplyText("")), "Connect");
}

TEST(Statistics, HangupCausesAndReplyPositions) {
  const char* causes[] = {"Carrier Lost",
                          "Heartbeat Lost",
                          "User Call Cancel",
                          "Training Timeout",
                          "Link Training Timeout",
                          "No Initial Dialtone",
                          "No Mid-String Dialtone",
                          "Invalid Dialstring Character",
                          "DSR Lost"};
  for (int code = 1; code <= 9; ++code)
    EXPECT_EQ(dp::HangupCauseText(QString::number(code)), QString::fromLatin1(causes[code - 1])) << code;
  for (const char* code : {"0", "10", "", "07", "-1"})
    EXPECT_EQ(dp::HangupCauseText(code), "") << code;

  const dp::ConnectionStatistics s =
      dp::StatisticsFromReply(dp::SplitReplyText("1\t61\t0\t2\t4\t5\t0\t0\t0\t0\t0\t0\t0\t17\t3"));
  EXPECT_EQ(s.lastCause, "Heartbeat Lost");
  EXPECT_EQ(s.hangups[0], "4");
  EXPECT_EQ(s.hangups[1], "5");
  EXPECT_EQ(s.hangups[8], "0");
  EXPECT_EQ(s.successfulConnections, "17");
  EXPECT_EQ(s.retrainAttempts, "3");

  const dp::ConnectionStatistics counted =
      dp::StatisticsFromReply(dp::SplitReplyText("1\t61\t0\t7\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11"));
  EXPECT_EQ(counted.lastCause, "No Mid-String Dialtone");
  for (int k = 0; k < 9; ++k)
    EXPECT_EQ(counted.hangups[std::size_t(k)], QString::number(k + 1));

  // A short reply leaves the missing values empty and shows no cause.
  const dp::ConnectionStatistics shortReply = dp::StatisticsFromReply(dp::SplitReplyText("1\t61\t0\t10\t4"));
  EXPECT_EQ(shortReply.lastCause, "");
  EXPECT_EQ(shortReply.hangups[0], "4");
  EXPECT_EQ(shortReply.hangups[1], "");
  EXPECT_EQ(shortReply.successfulConnections, "");
  EXPECT_EQ(shortReply.retrainAttempts, "");
}

TEST(FailureReports, PrefixReplyAndClosingQuote) {
  EXPECT_EQ(dp::FailureReport(dp::kPulseServicePinFailed, "Message Timeout"),
            "Failed to Pulse Router Service Pin due to data server error 'Message Timeout'.");
  EXPECT_EQ(dp::kPulseServicePinFailed.titleText(), "Error!");
  EXPECT_EQ(dp::kPhonebookProbeFailed.text("Message Failed"),
            "Failed to determine RLX supports Phonebook functions due to data server error 'Message Failed'. "
            "Phonebook will not be created.");
  EXPECT_EQ(dp::kPhonebookProbeFailed.titleText(), "Error!");
  EXPECT_EQ(dp::kSavePhonebookFailed.text("Message Timeout"),
            "RLX Phonebook not updated due to data server error 'Message Timeout'\r"
            "Would you like to update Database?");
  EXPECT_EQ(dp::kClearStatisticsFailed.titleText(), "RLX_Plug");
  EXPECT_EQ(dp::kClearPhonebookFailed.titleText(), "RLX_Plug");
  EXPECT_EQ(dp::kDownloadStatisticsLonMarkFailed.text("Message Failed"),
            "Failed to download Connection Statistics due to a data server error 'Message Failed'.");
  EXPECT_EQ(dp::kDownloadStatisticsExplicitFailed.text("Message Failed"),
            "Failed to download Connection Statistics due to data server error 'Message Failed'.");
  EXPECT_EQ(dp::kPerpetualDialFailed.text("x"), "Failed Dial Modem due to data server error 'x'.");
}

TEST(FailureReports, PerModemTextsNameTheModem) {
  EXPECT_EQ(dp::CheckModemStatusFailed(dp::Modem::Internal).text("Message Failed"),
            "Failed to Check Internal Modem status due to data server error 'Message Failed'.");
  EXPECT_EQ(dp::CheckModemStatusFailed(dp::Modem::External1).text("Message Failed"),
            "Failed to Check External Modem 1 status due to data server error 'Message Failed'.");
  EXPECT_EQ(dp::CheckModemStatusFailed(dp::Modem::External2).text("Message Failed"),
            "Failed to Check External Modem 2 status due to data server error 'Message Failed'.");
  EXPECT_EQ(dp::SetModemAutoAnswerFailed(dp::Modem::Internal).text("T"),
            "Failed to set Internal Modem Auto Answer due to data server error 'T'.");
  EXPECT_EQ(dp::SetModemAutoAnswerFailed(dp::Modem::External1).text("T"),
            "Failed to set External Modem 1 Auto Answer due to data server error 'T'.");
  EXPECT_EQ(dp::SetModemAutoAnswerFailed(dp::Modem::External2).text("T"),
            "Failed to set External Modem 2 Auto Answer due to data server error 'T'.");
  for (dp::Modem m : {dp::Modem::Internal, dp::Modem::External1, dp::Modem::External2}) {
    EXPECT_EQ(dp::CheckModemStatusFailed(m).titleText(), "Error!");
    EXPECT_EQ(dp::SetModemAutoAnswerFailed(m).titleText(), "Error!");
  }
}

}  // namespace
