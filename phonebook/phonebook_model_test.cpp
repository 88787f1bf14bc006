#include "phonebook/phonebook_model.h"

#include <gtest/gtest.h>

#include "phonebook/testing/phonebook_fixture.h"

using namespace phonebook;
using A = Verdict::Action;

namespace {

A number(const QString& text) { return ValidateNumber(text).action; }
A description(const QString& text) { return ValidateDescription(text).action; }

TEST(PhonebookNames, RecordNamesCarryTheIndexWithoutLeadingZeros) {
  EXPECT_EQ(DescriptionRecordName(0), "ZevPhoneBook0");
  EXPECT_EQ(DescriptionRecordName(12), "ZevPhoneBook12");
  EXPECT_EQ(ExplicitEntryRecordName(0), "ZevExplicitPhonebook0");
  EXPECT_EQ(ExplicitEntryRecordName(63), "ZevExplicitPhonebook63");
  EXPECT_STREQ(kResyncMarkerName, "ZevExplicitResync");
}

TEST(PhonebookNames, EachDirectoryHasDescriptionRecordsOfItsOwn) {
  MMain.DeviceLevelObjectName = QStringLiteral("Directory #1");
  const std::pair<const char*, const char*> cases[] = {
      {"Directory #1", "ZevPhoneBook3"},  // what stored databases hold
      {"", "ZevPhoneBook3"},              // a directory whose name cannot be read
      {"Directory #2", "ZevPhoneBook2_3"},
      {"Directory #12", "ZevPhoneBook12_3"},
      {"Speed Dial", "ZevPhoneBookSpeed Dial_3"},
  };
  for (const auto& [object, record] : cases)
    EXPECT_EQ(LonMarkDirectory(nullptr, DescriptionRecordPrefix(QString::fromUtf8(object))).RecordName(3), record)
        << object;
  // Directory #2's entry 3 never meets Directory #1's entry 23.
  EXPECT_NE(LonMarkDirectory(nullptr, DescriptionRecordPrefix(QStringLiteral("Directory #2"))).RecordName(3),
            DescriptionRecordName(23));
  MMain = MMainState{};
}

TEST(NumberValidation, DigitsAndDialSymbolsWithPOnlyFirst) {
  EXPECT_EQ(number(""), A::Accept);
  EXPECT_EQ(number("5"), A::Accept);
  EXPECT_EQ(number("P"), A::Accept);
  EXPECT_EQ(number("p"), A::Accept);
  EXPECT_EQ(number("P123"), A::Accept);
  EXPECT_EQ(number("p9,555"), A::Accept);
  for (const char* one : {"*", "#", ",", "W", "w", "!", " ", "-", "(", ")"})
    EXPECT_EQ(number(QString::fromLatin1(one)), A::Accept) << one;
  EXPECT_EQ(number("(555) 123-4567"), A::Accept);
  EXPECT_EQ(number("9W*#,!w"), A::Accept);
  // A letter as the only character empties the cell.
  EXPECT_EQ(number("A"), A::EmptyRefuse);
  EXPECT_EQ(number("\""), A::EmptyRefuse);
  EXPECT_EQ(number("\t"), A::EmptyRefuse);
  // P after the first character, or any other letter at the end, is refused.
  EXPECT_EQ(number("5P"), A::Refuse);
  EXPECT_EQ(number("5p"), A::Refuse);
  EXPECT_EQ(number("55a"), A::Refuse);
  EXPECT_EQ(number("55\""), A::Refuse);
}

TEST(NumberValidation, EveryCharacterCountsNotOnlyTheLast) {
  // Typed or pasted into the middle: still refused.
  EXPECT_EQ(number("12a4"), A::Refuse);
  EXPECT_EQ(number("12\t34"), A::Refuse);
  EXPECT_EQ(number("1P2"), A::Refuse);
  EXPECT_EQ(number(QStringLiteral("12é4")), A::Refuse);
}

TEST(NumberValidation, ThirtyCharactersAtMost) {
  const QString thirty(30, u'9');
  EXPECT_EQ(number(thirty), A::Accept);
  EXPECT_EQ(number(thirty + u'9'), A::RestoreBeep);
  EXPECT_EQ(number(thirty + u'a'), A::RestoreBeep);
  EXPECT_TRUE(IsValidNumber(thirty));
  EXPECT_FALSE(IsValidNumber(thirty + u'1'));
}

TEST(DescriptionValidation, SixtyFourPrintableCharactersAtMost) {
  EXPECT_EQ(description(""), A::Accept);
  EXPECT_EQ(description(QString(64, u'x')), A::Accept);
  EXPECT_EQ(description(QString(65, u'x')), A::Refuse);
  EXPECT_EQ(description(QStringLiteral("Zürich \"HQ\" – 'night' line; 50% <ok>")), A::Accept);
  EXPECT_EQ(description(QStringLiteral("tab\there")), A::Refuse);
  EXPECT_EQ(description(QStringLiteral("line\nbreak")), A::Refuse);
}

class Transactions : public phonebook_testing::PhonebookTest {};

TEST_F(Transactions, ChangesMadeTogetherAreKeptOrDroppedTogether) {
  auto record = explicitDevice->Extensions()->Add(QStringLiteral("ZevExplicitPhonebook0"));
  {
    RecordTransaction tx;
    record->SetField(1, QStringLiteral("555"));
    record->SetField(2, QStringLiteral("kept"));
    tx.commit();
  }
  {
    RecordTransaction tx;  // goes without a commit
    record->SetField(1, QStringLiteral("999"));
    record->SetField(2, QStringLiteral("dropped"));
  }
  EXPECT_EQ(record->Field(1), "555");
  EXPECT_EQ(record->Field(2), "kept");
  EXPECT_FALSE(server->inTransaction());
}

TEST_F(Transactions, TheServerAllowsOneAtATimeAndDropsAPendingOneOnClose) {
  server->StartTransaction();
  lnssim::testing::errorOf([&] { server->StartTransaction(); }, lns::kErrTransaction);
  {
    RecordTransaction nested;  // joins the pending one
    explicitDevice->Extensions()->Add(QStringLiteral("ZevExplicitResync"))->SetField(1, QStringLiteral("1"));
    nested.commit();
  }
  server->CancelTransaction();
  lnssim::testing::errorOf([&] { server->CommitTransaction(); }, lns::kErrTransaction);
  lnssim::testing::errorOf([&] { server->CancelTransaction(); }, lns::kErrTransaction);
  EXPECT_FALSE(RecordExists(*explicitDevice->Extensions(), QStringLiteral("ZevExplicitResync")));

  server->StartTransaction();
  explicitDevice->Extensions()->Add(QStringLiteral("ZevExplicitResync"));
  server->Close();
  server->Open();
  auto s = lnssim::openFirstSystem(*server, QStringLiteral("Phonebook"));
  auto device =
      s.system->Subsystems()->Item(QStringLiteral("Routers"))->AppDevices()->Item(QStringLiteral("RLX-Explicit"));
  EXPECT_FALSE(RecordExists(*device->Extensions(), QStringLiteral("ZevExplicitResync")));
}

TEST_F(Transactions, WithoutAServerChangesAreMadeOneByOne) {
  MMain.ObjectServer.reset();
  auto record = explicitDevice->Extensions()->Add(QStringLiteral("ZevExplicitPhonebook0"));
  {
    RecordTransaction tx;
    record->SetField(1, QStringLiteral("1"));
  }
  EXPECT_EQ(record->Field(1), "1");
}

}  // namespace
