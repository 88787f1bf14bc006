#include "phonebook/phonebook_store.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include "device_protocol/requests.h"
#include "phonebook/phonebook_sync.h"
#include "phonebook/testing/phonebook_fixture.h"

using namespace phonebook;
using phonebook_testing::FakePhonebookDevice;

namespace {

const QString kThirty = QStringLiteral("P9,*#W(555)-123-4567 !12345678");  // 30 characters

class ExplicitStore : public phonebook_testing::PhonebookTest {
 protected:
  void SetUp() override {
    PhonebookTest::SetUp();
    MakeExplicitRecords();
  }
  // Device and database holding the same entries; LoadedNumber as the editor's opening sets it.
  void Seed(int index, const QString& number, const QString& description) {
    StoreExplicit(index, number, description, number);
    device.entries[index] = number;
  }
  GridRows Open() { return LoadExplicitRows(explicitDevice, true); }
};

TEST_F(ExplicitStore, OpeningReadsTheCopyAndResetsEveryLoadedNumber) {
  StoreExplicit(3, QStringLiteral("555"), QStringLiteral("Office"), QStringLiteral("old"));
  StoreExplicit(7, QString(), QString(), QStringLiteral("stale"));
  const GridRows rows = Open();
  ASSERT_EQ(rows.size(), 64);
  EXPECT_EQ(rows[3], (GridRow{"555", "Office"}));
  EXPECT_EQ(rows[7], GridRow{});
  EXPECT_EQ(Explicit(3), "555|Office|555");
  EXPECT_EQ(Explicit(7), "||");
  // A record that has gone reads as an empty entry.
  server->database().exec("DELETE FROM ext_records WHERE name='ZevExplicitPhonebook3'");
  EXPECT_EQ(Open()[3], GridRow{});
}

TEST_F(ExplicitStore, SavingSendsOnlyChangedEntriesInTheirExactForms) {
  Seed(5, QStringLiteral("5551234"), QStringLiteral("Head office"));
  Seed(12, QStringLiteral("777"), QString());
  GridRows rows = Open();

  ExplicitSaveResult nothing = SaveExplicit(explicitDevice, rows, device.sender());
  EXPECT_FALSE(nothing.stopped);
  EXPECT_TRUE(device.requests.isEmpty()) << device.requests.join(u'\n').toStdString();

  rows[5].number.clear();  // emptied: its description goes too
  rows[12].number = QStringLiteral("5");
  rows[12].description = QStringLiteral("Depot \"North\" – Zürich");
  rows[40] = {kThirty, QStringLiteral("thirty")};
  const ExplicitSaveResult result = SaveExplicit(explicitDevice, rows, device.sender());
  EXPECT_FALSE(result.stopped);
  ASSERT_EQ(device.requests.size(), 3);
  EXPECT_EQ(device.requests[0], "00 01 66 00 01 05 00");
  EXPECT_EQ(device.requests[1], "00 01 66 00 01 12 53 00");
  EXPECT_TRUE(device.requests[2].startsWith("00 01 66 00 01 40 80 57 44 "));
  EXPECT_EQ(device.entries[5], "");
  EXPECT_EQ(device.entries[12], "5");
  EXPECT_EQ(device.entries[40], kThirty);
  EXPECT_EQ(Explicit(5), "||");
  EXPECT_EQ(rows[5], GridRow{});
  EXPECT_EQ(Explicit(12), QStringLiteral("5|Depot \"North\" – Zürich|5"));
  EXPECT_EQ(Explicit(40), kThirty + "|thirty|" + kThirty);
  EXPECT_EQ(Marker(), "");  // a complete save leaves the marker as it was
}

TEST_F(ExplicitStore, ANumberChangedAndChangedBackIsStoredAsShown) {
  Seed(2, QStringLiteral("111"), QString());
  GridRows rows = Open();
  rows[2].number = QStringLiteral("222");
  SaveExplicit(explicitDevice, rows, device.sender());
  rows[2].number = QStringLiteral("111");
  SaveExplicit(explicitDevice, rows, device.sender());
  EXPECT_EQ(device.entries[2], "111");
  EXPECT_EQ(Explicit(2), "111||111");
  EXPECT_EQ(device.requests, (QStringList{"00 01 66 00 01 02 50 50 50 00", "00 01 66 00 01 02 49 49 49 00"}));
}

TEST_F(ExplicitStore, AStoreFailureAnsweredNoStopsKeepsWhatWasConfirmedAndMarksTheCopy) {
  for (int i = 0; i < 64; ++i)
    Seed(i, QString::number(1000 + i), QStringLiteral("d%1").arg(i));
  GridRows rows = Open();
  for (int i = 0; i < 64; ++i)
    rows[i] = {QString::number(2000 + i), QStringLiteral("n%1").arg(i)};
  device.failFromEntry = 20;  // the device stops answering at entry 20
  ui().answer(platform::IdNo);

  const ExplicitSaveResult result = SaveExplicit(explicitDevice, rows, device.sender());
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.stoppedAt, 20);
  EXPECT_TRUE(result.unsavedRowsRemain);
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxes()[0].text,
            "RLX Phonebook not updated due to data server error 'Message Timeout'\rWould you like to update Database?");
  EXPECT_EQ(ui().boxes()[0].title, "Error!");
  EXPECT_EQ(ui().boxes()[0].buttons, platform::MsgButtons::YesNo);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(device.entries[i], QString::number(2000 + i));
    EXPECT_EQ(Explicit(i), QStringLiteral("%1|n%2|%1").arg(2000 + i).arg(i));
  }
  EXPECT_EQ(rows[20].number, "1020");  // the stored number comes back into the row
  for (int i = 20; i < 64; ++i) {
    EXPECT_EQ(device.entries[i], QString::number(1000 + i));
    EXPECT_EQ(Explicit(i), QStringLiteral("%1|d%2|%1").arg(1000 + i).arg(i));
  }
  EXPECT_EQ(rows[21].number, "2021");  // typed, still in the grid
  EXPECT_EQ(device.requests.size(), 21);
  EXPECT_EQ(Marker(), "1");
}

TEST_F(ExplicitStore, AStoreFailureAnsweredYesGoesOnWithTheDatabaseAndMarksTheCopy) {
  Seed(1, QStringLiteral("1"), QString());
  Seed(30, QStringLiteral("30"), QString());
  GridRows rows = Open();
  rows[1].number = QStringLiteral("11");
  rows[30].number = QStringLiteral("3030");
  device.failFromRequest = 0;
  device.failureText = QStringLiteral("Message Failed");
  ui().answer(platform::IdYes);
  const ExplicitSaveResult result = SaveExplicit(explicitDevice, rows, device.sender());
  EXPECT_FALSE(result.stopped);
  EXPECT_TRUE(result.deviceSkipped);
  EXPECT_EQ(device.requests.size(), 1);  // nothing more is sent after the Yes
  EXPECT_EQ(Explicit(1), "11||1");       // the device still holds 1
  EXPECT_EQ(Explicit(30), "3030||30");
  EXPECT_EQ(Marker(), "1");
  EXPECT_EQ(ui().boxTexts(), QStringList{"RLX Phonebook not updated due to data server error 'Message "
                                         "Failed'\rWould you like to update Database?"});

  // The next save with the device back sends what it still lacks.
  device.failFromRequest = -1;
  device.requests.clear();
  SaveExplicit(explicitDevice, rows, device.sender());
  EXPECT_EQ(device.entries[1], "11");
  EXPECT_EQ(device.entries[30], "3030");
  EXPECT_EQ(device.requests.size(), 2);
}

TEST_F(ExplicitStore, ADatabaseOnlySaveChangesNoDeviceEntryAndMarksTheCopy) {
  Seed(4, QStringLiteral("444"), QStringLiteral("four"));
  GridRows rows = Open();
  rows[4].number = QStringLiteral("4444");
  rows[9] = {QString(), QStringLiteral("no number")};
  SaveExplicitDatabaseOnly(explicitDevice, rows);
  EXPECT_TRUE(device.requests.isEmpty());
  EXPECT_EQ(Explicit(4), "4444|four|444");
  EXPECT_EQ(Explicit(9), "||");
  EXPECT_EQ(rows[9], GridRow{});
  EXPECT_EQ(Marker(), "1");
}

TEST_F(ExplicitStore, ClearingErasesStoredEntriesOnlyAndEmptiesTheRecords) {
  GridRows rows = Open();
  rows[3].number = QStringLiteral("typed, not saved");
  bool erased = true;
  EXPECT_TRUE(ClearExplicit(explicitDevice, rows, device.sender(), nullptr, &erased));
  EXPECT_FALSE(erased);
  EXPECT_TRUE(device.requests.isEmpty());
  EXPECT_EQ(rows[3].number, "typed, not saved");  // the grid stays as it was

  Seed(5, QStringLiteral("55"), QStringLiteral("five"));
  Seed(63, QStringLiteral("63"), QString());
  rows = Open();
  EXPECT_TRUE(ClearExplicit(explicitDevice, rows, device.sender(), nullptr, &erased));
  EXPECT_TRUE(erased);
  EXPECT_EQ(device.requests, (QStringList{"00 01 66 00 01 5 0", "00 01 66 00 01 63 0"}));
  EXPECT_EQ(device.entries[5], "");
  EXPECT_EQ(device.entries[63], "");
  EXPECT_EQ(Explicit(5), "||");
  EXPECT_EQ(rows, GridRows(64));
}

TEST_F(ExplicitStore, AFailedClearReportsAndShowsWhatIsStillStored) {
  Seed(2, QStringLiteral("22"), QStringLiteral("two"));
  Seed(8, QStringLiteral("88"), QStringLiteral("eight"));
  GridRows rows = Open();
  device.failFromEntry = 8;
  device.failureText = QStringLiteral("Message Failed");
  bool erased = false;
  EXPECT_FALSE(ClearExplicit(explicitDevice, rows, device.sender(), nullptr, &erased));
  EXPECT_TRUE(erased);
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxes()[0].text, "Failed to clear phonebook due to data server error 'Message Failed'.");
  EXPECT_EQ(ui().boxes()[0].title, "RLX_Plug");
  EXPECT_EQ(rows[2], GridRow{});
  EXPECT_EQ(rows[8], (GridRow{"88", "eight"}));  // still on the device, so still shown
  EXPECT_EQ(Explicit(8), "88|eight|88");
}

TEST_F(ExplicitStore, ResyncFromTheDatabaseStoresAll64AndClearsTheMarker) {
  StoreExplicit(5, QStringLiteral("5"), QStringLiteral("five"), QString());
  StoreExplicit(12, kThirty, QString(), QString());
  auto marker = explicitDevice->Extensions()->Item(QString::fromLatin1(kResyncMarkerName));
  marker->SetField(1, QStringLiteral("1"));
  GridRows rows;
  EXPECT_TRUE(ResyncFromDatabase(explicitDevice, rows, device.sender()));
  ASSERT_EQ(device.requests.size(), 64);
  EXPECT_EQ(device.requests[0], "00 01 66 00 01 00  0");
  EXPECT_EQ(device.requests[5], "00 01 66 00 01 05 53  0");
  EXPECT_EQ(device.entries[5], "5");
  EXPECT_EQ(device.entries[12], kThirty);
  EXPECT_EQ(rows[5], (GridRow{"5", "five"}));
  EXPECT_EQ(Explicit(5), "5|five|5");
  EXPECT_EQ(Marker(), "0");
}

TEST_F(ExplicitStore, AFailedResyncFromTheDatabaseKeepsTheMarkerAndShowsTheStoredCopy) {
  StoreExplicit(20, QStringLiteral("2020"), QStringLiteral("twenty"), QStringLiteral("2020"));
  explicitDevice->Extensions()->Item(QString::fromLatin1(kResyncMarkerName))->SetField(1, QStringLiteral("1"));
  device.failFromEntry = 10;
  GridRows rows;
  EXPECT_FALSE(ResyncFromDatabase(explicitDevice, rows, device.sender()));
  EXPECT_EQ(ui().boxTexts(), QStringList{"Failed to resync Phonebook due to data server error 'Message Timeout'."});
  EXPECT_EQ(ui().boxes()[0].title, "Error!");
  EXPECT_EQ(Marker(), "1");
  EXPECT_EQ(rows[20], (GridRow{"2020", "twenty"}));
}

TEST_F(ExplicitStore, ResyncFromTheDeviceReadsAll64AndDropsTheDescriptions) {
  StoreExplicit(3, QStringLiteral("old"), QStringLiteral("lost"), QStringLiteral("old"));
  device.entries[3] = QStringLiteral("333");
  device.entries[17] = kThirty;
  GridRows rows;
  EXPECT_TRUE(ResyncFromDevice(explicitDevice, rows, device.sender()));
  ASSERT_EQ(device.requests.size(), 64);
  EXPECT_EQ(device.requests[12], "00 01 66 00 02 12");
  EXPECT_EQ(Explicit(3), "333||333");
  EXPECT_EQ(Explicit(17), kThirty + "||" + kThirty);
  EXPECT_EQ(rows[17], (GridRow{kThirty, QString()}));
  EXPECT_EQ(Marker(), "0");

  device.failFromEntry = 5;
  device.entries[3] = QStringLiteral("3");
  EXPECT_FALSE(ResyncFromDevice(explicitDevice, rows, device.sender()));
  EXPECT_EQ(Marker(), "1");  // entries 0 to 4 were rewritten, the rest not read
  EXPECT_EQ(rows[3].number, "3");
  EXPECT_EQ(rows[17].number, kThirty);  // not read again: the stored copy
}

TEST_F(ExplicitStore, PhoneListNamesEachUsedEntryByItsDescriptionOrNumber) {
  StoreExplicit(0, QStringLiteral("100"), QString(), QString());
  StoreExplicit(6, QStringLiteral("600"), QStringLiteral("Six"), QString());
  StoreExplicit(7, QString(), QStringLiteral("orphan"), QString());
  EXPECT_EQ(PhoneListExplicit(explicitDevice), (QStringList{"100", "Six"}));
}

class FirstSight : public phonebook_testing::PhonebookTest {};

TEST_F(FirstSight, TheProbeFailureIsReportedAndNothingIsCreated) {
  device.failFromRequest = 0;
  EXPECT_EQ(PhonebookProbeAndDownloadWith(nullptr, device.sender(), explicitDevice), ProbeResult::Failed);
  EXPECT_EQ(device.requests, QStringList{"00 01 66 00 02 00"});
  EXPECT_EQ(ui().boxTexts(), QStringList{"Failed to determine RLX supports Phonebook functions due to data server "
                                         "error 'Message Timeout'. Phonebook will not be created."});
  EXPECT_FALSE(RecordExists(*explicitDevice->Extensions(), ExplicitEntryRecordName(0)));

  device.failFromRequest = -1;
  device.hasPhonebook = false;
  EXPECT_EQ(PhonebookProbeAndDownloadWith(nullptr, device.sender(), explicitDevice), ProbeResult::NoPhonebook);
  EXPECT_FALSE(RecordExists(*explicitDevice->Extensions(), ExplicitEntryRecordName(0)));
}

TEST_F(FirstSight, TheFirstDownloadReadsEveryEntryWithTheProgressWindow) {
  device.entries[0] = QStringLiteral("0");
  device.entries[33] = kThirty;
  EXPECT_EQ(PhonebookProbeAndDownloadWith(nullptr, device.sender(), explicitDevice), ProbeResult::Supported);
  EXPECT_EQ(device.requests.size(), 65);
  EXPECT_EQ(device.requests[1], "00 01 66 00 02 0");
  EXPECT_EQ(device.requests[64], "00 01 66 00 02 63");
  EXPECT_TRUE(ui().modalsShown().contains("fProgress"));
  EXPECT_EQ(Explicit(0), "0||0");
  EXPECT_EQ(Explicit(33), kThirty + "||" + kThirty);
  EXPECT_EQ(Explicit(63), "||");
  EXPECT_EQ(Marker(), "");

  // Seen before: only the probe.
  device.requests.clear();
  EXPECT_EQ(PhonebookProbeAndDownloadWith(nullptr, device.sender(), explicitDevice), ProbeResult::Supported);
  EXPECT_EQ(device.requests.size(), 1);
}

TEST_F(FirstSight, AnInterruptedDownloadKeepsWhatWasReadAndMarksTheCopy) {
  device.entries[2] = QStringLiteral("22");
  device.entries[40] = QStringLiteral("4040");
  device.failFromEntry = 30;
  EXPECT_EQ(PhonebookProbeAndDownloadWith(nullptr, device.sender(), explicitDevice), ProbeResult::Supported);
  EXPECT_EQ(ui().boxTexts(),
            QStringList{"Failed to download Phonebook entries due to data server error 'Message Timeout'."});
  EXPECT_EQ(Explicit(2), "22||22");
  EXPECT_EQ(Explicit(40), "||");
  EXPECT_EQ(Marker(), "1");
}

TEST_F(FirstSight, OfflineCreationMakesTheRecordsOnceAndKeepsThem) {
  OfflineRecordCreation(explicitDevice);
  EXPECT_EQ(explicitDevice->Extensions()->Count(), 65);
  EXPECT_EQ(Explicit(63), "||");
  EXPECT_EQ(Marker(), "1");  // made without the device: out of step
  StoreExplicit(1, QStringLiteral("1"), QStringLiteral("one"), QStringLiteral("1"));
  OfflineRecordCreation(explicitDevice);
  EXPECT_EQ(explicitDevice->Extensions()->Count(), 65);
  EXPECT_EQ(Explicit(1), "1|one|1");
}

TEST_F(FirstSight, DatabaseOnlySaveHoldsOffNetOrWithoutTheDevice) {
  EXPECT_FALSE(DatabaseOnlySave());
  MMain.DeviceOffline = true;
  EXPECT_TRUE(DatabaseOnlySave());
  MMain.DeviceOffline = false;
  server->setMgmtMode(sys.systemId, 1);
  EXPECT_TRUE(DatabaseOnlySave());
  MMain.CurrentSystem.reset();
  EXPECT_FALSE(DatabaseOnlySave());
}

class LonMarkStore : public phonebook_testing::PhonebookTest {
 protected:
  void SetUp() override {
    PhonebookTest::SetUp();
    MakeDescriptionRecords();
  }
};

TEST_F(LonMarkStore, OpeningReadsElementsAndDescriptions) {
  dialString->SetElement(0, QStringLiteral("5551234"));
  lonMark->Extensions()->Item(DescriptionRecordName(0))->SetField(1, QStringLiteral("Main"));
  QString error;
  const GridRows rows = LoadLonMarkRows(lonMark, dialString, &error);
  ASSERT_EQ(rows.size(), 16);
  EXPECT_EQ(rows[0], (GridRow{"5551234", "Main"}));
  EXPECT_TRUE(error.isEmpty());

  runtime->failReads = true;
  const GridRows unread = LoadLonMarkRows(lonMark, dialString, &error);
  EXPECT_EQ(unread[0], (GridRow{QString(), "Main"}));
  EXPECT_EQ(error, "The device did not answer");
}

TEST_F(LonMarkStore, SavingWritesWhatChangedAndDropsDescriptionsWithoutNumbers) {
  dialString->SetElement(2, QStringLiteral("22"));
  runtime->written.clear();
  GridRows rows = LoadLonMarkRows(lonMark, dialString);
  rows[0] = {kThirty, QStringLiteral("Zürich \"HQ\"")};
  rows[2] = {QString(), QString()};
  rows[3] = {QString(), QStringLiteral("no number")};
  EXPECT_EQ(SaveLonMark(lonMark, dialString, rows), "");
  EXPECT_EQ(runtime->written, (QStringList{"UCPT_DialString[0]=" + kThirty, "UCPT_DialString[2]="}));
  EXPECT_EQ(dialString->Element(0), kThirty);
  EXPECT_EQ(Description(0), "Zürich \"HQ\"");
  EXPECT_EQ(Description(3), "");
  EXPECT_EQ(rows[3], GridRow{});
}

TEST_F(LonMarkStore, AFailingElementIsReportedOnceAndTheOthersAreStillSaved) {
  GridRows rows = LoadLonMarkRows(lonMark, dialString);
  rows[1] = {QStringLiteral("1"), QStringLiteral("one")};
  rows[4] = {QStringLiteral("4"), QStringLiteral("four")};
  rows[9] = {QStringLiteral("9"), QStringLiteral("nine")};
  runtime->failWrites = {4};
  EXPECT_EQ(SaveLonMark(lonMark, dialString, rows), "The device did not answer writing element 4");
  EXPECT_EQ(dialString->Element(1), "1");
  EXPECT_EQ(dialString->Element(4), "");
  EXPECT_EQ(dialString->Element(9), "9");
  EXPECT_EQ(Description(9), "nine");
  EXPECT_EQ(Description(4), "");  // none for a number the router does not hold
}

TEST_F(LonMarkStore, AMissingDescriptionRecordIsAddedWhenADescriptionIsSaved) {
  server->database().exec("DELETE FROM ext_records WHERE name='ZevPhoneBook7'");
  GridRows rows = LoadLonMarkRows(lonMark, dialString);
  rows[7] = {QStringLiteral("7"), QStringLiteral("seven")};
  EXPECT_EQ(SaveLonMark(lonMark, dialString, rows), "");
  EXPECT_EQ(Description(7), "seven");
}

TEST_F(LonMarkStore, ClearingEmptiesUsedEntriesAndShowsWhatCouldNotBeCleared) {
  for (int i : {0, 5, 6}) {
    dialString->SetElement(i, QString::number(i * 11));
    lonMark->Extensions()->Item(DescriptionRecordName(i))->SetField(1, QStringLiteral("d"));
  }
  runtime->written.clear();
  runtime->failWrites = {6};
  GridRows rows;
  ClearLonMark(lonMark, dialString, rows);
  EXPECT_EQ(runtime->written, (QStringList{"UCPT_DialString[0]=", "UCPT_DialString[5]="}));
  EXPECT_EQ(ui().boxTexts(), QStringList{"The device did not answer writing element 6"});
  EXPECT_EQ(ui().boxes()[0].title, "RLX_Plug");
  ASSERT_EQ(rows.size(), 16);
  EXPECT_EQ(rows[0], GridRow{});
  EXPECT_EQ(rows[6].number, "66");  // still on the device

  runtime->failWrites.clear();
  ClearLonMark(lonMark, dialString, rows);
  EXPECT_EQ(rows, GridRows(16));
  EXPECT_EQ(dialString->Element(6), "");
}

QStringList Items(const QComboBox& combo) {
  QStringList out;
  for (int i = 0; i < combo.count(); ++i)
    out << combo.itemText(i);
  return out;
}

TEST_F(LonMarkStore, PhoneListsPreferDescriptions) {
  dialString->SetElement(0, QStringLiteral("100"));
  dialString->SetElement(1, QStringLiteral("101"));
  lonMark->Extensions()->Item(DescriptionRecordName(1))->SetField(1, QStringLiteral("One"));
  QComboBox combo;
  combo.addItem(QStringLiteral("stale"));
  FillPhoneListLonMark(&combo, lonMark, dialString);  // empties the list first
  EXPECT_EQ(Items(combo), (QStringList{"100", "One"}));

  MakeExplicitRecords();
  StoreExplicit(2, QStringLiteral("200"), QStringLiteral("Two"), QString());
  FillPhoneListExplicit(&combo, explicitDevice);  // appends: the caller empties
  EXPECT_EQ(Items(combo), (QStringList{"100", "One", "Two"}));
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
}

class CreateRecords : public phonebook_testing::PhonebookTest {};

TEST_F(CreateRecords, AddsOneRecordPerElementWithProgressAndKeepsExisting) {
  lonMark->Extensions()->Add(DescriptionRecordName(3))->SetField(1, QStringLiteral("kept"));
  CreateDescriptionRecords(nullptr, lonMark, dialString);
  EXPECT_EQ(lonMark->Extensions()->Count(), 16);
  EXPECT_EQ(Description(3), "kept");
  EXPECT_EQ(Description(15), "");
  EXPECT_TRUE(ui().modalsShown().contains("fProgress"));
}

}  // namespace
