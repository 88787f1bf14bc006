#include "device_protocol/reply_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <initializer_list>

#include "tests/support/qt_printers.h"

namespace dp = device_protocol;

namespace {

// A reply text as the control renders it: decimal values joined by tabs.
QString reply(std::initializer_list<int> values) {
  QStringList parts;
  for (int v : values)
    parts << QString::number(v);
  return parts.join(u'\t');
}

// A reply whose values are the character codes of `text`, after `lead` values.
QString replyOfText(std::initializer_list<int> lead, const QString& text, std::initializer_list<int> tail = {}) {
  QStringList parts;
  for (int v : lead)
    parts << QString::number(v);
  for (QChar c : text)
    parts << QString::number(c.unicode());
  for (int v : tail)
    parts << QString::number(v);
  return parts.join(u'\t');
}

TEST(FailureTest, OnlyTheWholeFailureTextsAreFailures) {
  EXPECT_TRUE(dp::IsFailureReply("Message Failed"));
  EXPECT_TRUE(dp::IsFailureReply("Message Timeout"));
  for (const char* reply :
       {"", "message failed", "Message Failed ", " Message Timeout", "Message Timeout\t0", "Message", "1\t19\t0"})
    EXPECT_FALSE(dp::IsFailureReply(reply)) << reply;
}

TEST(ReplyPredicates, NotSupportedReadyAndInternalModem) {
  EXPECT_TRUE(dp::IsNotSupportedReply("2"));
  for (const char* reply : {"02", " 2", "2\t", "1\t2", "", "Message Failed"})
    EXPECT_FALSE(dp::IsNotSupportedReply(reply)) << reply;

  EXPECT_TRUE(dp::ModemIsReady(reply({1, 1, 1, 9, 0})));
  EXPECT_TRUE(dp::ModemIsReady(reply({1, 53, 0, 0, 10})));  // only the last character counts
  EXPECT_FALSE(dp::ModemIsReady(reply({1, 53, 0, 0, 1})));
  EXPECT_FALSE(dp::ModemIsReady("Message Failed"));
  EXPECT_FALSE(dp::ModemIsReady("Message Timeout"));
  EXPECT_FALSE(dp::ModemIsReady(""));
  EXPECT_FALSE(dp::ModemIsReady(reply({1, 53, 0, 0, 0}) + u'\t'));

  EXPECT_TRUE(dp::InternalModemFitted(reply({1, 73, 0, 1})));
  EXPECT_TRUE(dp::InternalModemFitted(reply({1, 73, 0, 21})));
  EXPECT_FALSE(dp::InternalModemFitted(reply({1, 73, 0, 0})));
  EXPECT_FALSE(dp::InternalModemFitted("Message Failed"));
}

struct SplitCase {
  const char* name;
  QString text;
  QStringList values;
};

TEST(SplitReplyText, SplitsAtTabsIntoValuesOfAtMostThreeCharacters) {
  const SplitCase cases[] = {
      {"empty text", "", {}},
      {"statistics reply", reply({1, 61, 0, 2, 4, 5, 0}), {"1", "61", "0", "2", "4", "5", "0"}},
      {"trailing tab", "1\t1\t1\t9\t0\t", {"1", "1", "1", "9", "0"}},
      {"leading and doubled tabs", "\t\t5\t\t7", {"5", "7"}},
      {"three digits then tab", "255\t0", {"255", "0"}},
      {"four-digit value loses its fourth digit", "1234\t5", {"123", "5"}},
      {"long run", "123456789", {"123", "567", "9"}},
      {"skipped character at the end", "12345678", {"123", "567"}},
      {"three digits then two tabs", "123\t\t4", {"123", "4"}},
      {"blank is part of a value", "1 2\t3", {"1 2", "3"}},
      {"Message Failed", "Message Failed", {"Mes", "age", "Fai", "ed"}},
      {"Message Timeout", "Message Timeout", {"Mes", "age", "Tim", "out"}},
      {"single value", "2", {"2"}},
  };
  for (const SplitCase& c : cases) {
    const dp::ReplyValues values = dp::SplitReplyText(c.text);
    EXPECT_EQ(values.list(), c.values) << c.name;
    EXPECT_EQ(values.size(), c.values.size()) << c.name;
  }
}

TEST(SplitReplyText, ReadingPastTheEndGivesTheEmptyText) {
  const dp::ReplyValues values = dp::SplitReplyText(reply({1, 1, 1, 9}));
  EXPECT_EQ(values.value(3), "9");
  EXPECT_EQ(values[3], "9");
  EXPECT_EQ(values.value(4), "");
  EXPECT_TRUE(values.value(4).isEmpty());
  EXPECT_EQ(values.value(1000), "");
  EXPECT_EQ(values.value(-1), "");
  EXPECT_TRUE(dp::SplitReplyText("").value(0).isEmpty());
}

TEST(DecodeReplyText, EachValueBecomesItsCharacterAndZeroABlank) {
  EXPECT_EQ(dp::DecodeReplyText(reply({82, 76, 88})), "RLX");
  EXPECT_EQ(dp::DecodeReplyText(reply({0, 65, 0})), " A ");
  EXPECT_EQ(dp::DecodeReplyText(""), "");
  EXPECT_EQ(dp::DecodeReplyText(reply({233})), QString(QChar(233)));
  // Values that cannot be a byte do not turn into arbitrary characters.
  EXPECT_EQ(dp::DecodeReplyText("256\tabc\t65\t999"), "??A?");
  // The split rules apply: "6566" is the value "656" (not a byte), the 6 is dropped.
  EXPECT_EQ(dp::DecodeReplyText("6566\t66"), "?B");
}

TEST(NumericPrefix, ReadsLeadingDigitsWithOneDecimalPoint) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {" 3.10", 3.1}, {"3.20", 3.2}, {"0A", 0.0},     {"32", 32.0}, {"01", 1.0},    {"", 0.0},
      {"   ", 0.0},   {".", 0.0},    {".5", 0.5},     {"5.", 5.0},  {"1.2.3", 1.2}, {"-5", 0.0},
      {"+5", 0.0},    {"\t5", 0.0},  {"12abc", 12.0}, {"1e5", 1.0}, {"  7 8", 7.0}, {"2,5", 2.0},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(dp::NumericPrefix(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(NumericPrefix, OverlongNumbersDoNotWrap) {
  const QString nines(400, u'9');
  EXPECT_TRUE(std::isinf(dp::NumericPrefix(nines)));
  EXPECT_EQ(dp::NumericPrefixInt(nines), INT_MAX);
  EXPECT_EQ(dp::NumericPrefixInt("99999999999"), INT_MAX);
  const QString tiny = "0." + QString(400, u'0') + "1";
  EXPECT_EQ(dp::NumericPrefix(tiny), 0.0);
  EXPECT_EQ(dp::NumericPrefixInt(" 7.9"), 7);
  EXPECT_EQ(dp::NumericPrefixInt("x"), 0);
}

TEST(PhonebookNumberFromReply, DropsFiveLeadingCharactersAndTheTerminator) {
  EXPECT_EQ(dp::PhonebookNumberFromReply(replyOfText({1, 66, 0, 2, 5}, "5551234", {0})), "5551234");
  EXPECT_EQ(dp::PhonebookNumberFromReply(replyOfText({1, 66, 0, 2, 63}, "9,1-800", {0})), "9,1-800");
  // Exactly six characters: nothing between the lead and the terminator.
  EXPECT_EQ(dp::PhonebookNumberFromReply(reply({1, 66, 0, 2, 5, 0})), "");
  // Five or fewer characters: nothing follows the lead; an empty entry.
  EXPECT_EQ(dp::PhonebookNumberFromReply(reply({1, 66, 0, 2, 5})), "");
  EXPECT_EQ(dp::PhonebookNumberFromReply(reply({1, 66})), "");
  EXPECT_EQ(dp::PhonebookNumberFromReply(""), "");
}

TEST(FirmwareTextFromReply, DropsTheFirstThreeCharacters) {
  EXPECT_EQ(dp::FirmwareTextFromReply(replyOfText({1, 48, 0}, "RLX 3.20")), "RLX 3.20");
  // A zero inside the text shows as a blank.
  EXPECT_EQ(dp::FirmwareTextFromReply(replyOfText({1, 48, 0}, "V2", {0})), "V2 ");
  EXPECT_EQ(dp::FirmwareTextFromReply(reply({1, 48, 0})), "");
  EXPECT_EQ(dp::FirmwareTextFromReply(reply({1})), "");
  EXPECT_EQ(dp::FirmwareTextFromReply(""), "");
}

}  // namespace
