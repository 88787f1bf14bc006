// What the database and the device hold survives a fault and what the
// operator does after it: a phonebook that could not be read is not written
// back as empty, and records made without the device are known to be out of
// step with it.

#include <QLabel>
#include <QTest>

#include "phonebook/fphonebook.h"
#include "phonebook/phonebook_grid.h"
#include "tests/faults/fault_fixture.h"

namespace fault_testing {
namespace {

class StoredData : public FaultFixture {
 protected:
  // fMain on the internal modem with entries 3 and 4 in its phonebook.
  void SetUp() override {
    FaultFixture::SetUp();
    openLonMark();
    lonMarkEntry(3, QStringLiteral("5550003"), QStringLiteral("Depot"));
    lonMarkEntry(4, QStringLiteral("5550004"), QStringLiteral("Store"));
    scriptedUi().clear();
  }
  rlxsim::DeviceState device() { return net->state(lonMark()); }
  QString description(int i) { return record(lonMark(), QStringLiteral("ZevPhoneBook") + QString::number(i), 1); }
  void silent(bool on) { net->setFault(lonMark(), on ? rlxsim::Fault::NoAnswer : rlxsim::Fault::None); }
  // Opens the editor from fMain and works in it.
  void inEditor(const std::function<void(phonebook::fPhoneBook*)>& work) {
    scriptedUi().onModal([&work](QDialog* d) {
      if (auto* e = qobject_cast<phonebook::fPhoneBook*>(d)) {
        e->show();
        work(e);
        e->close();
      }
      return 0;
    });
    main()->MenuPhoneBook->trigger();
  }
};

TEST_F(StoredData, APhonebookReadFromASilentDeviceIsNotSavedBackAsEmpty) {
  silent(true);
  inEditor([&](phonebook::fPhoneBook* e) {
    // The numbers could not be read: the operator is told, the descriptions are there.
    EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Routers/RLX-LonMark does not answer"});
    EXPECT_EQ(e->MSFlexGrid->TextMatrix(4, 1), "");
    EXPECT_EQ(e->MSFlexGrid->TextMatrix(4, 2), "Depot");
    // Saved while still silent: no description goes for want of its number.
    e->MSFlexGrid->SetTextMatrix(5, 2, QStringLiteral("Store 2"));
    e->MenuSave->trigger();
    EXPECT_EQ(description(3), "Depot");
    EXPECT_EQ(description(4), "Store 2");
    // The device back, a new number for entry 0 and another save.
    silent(false);
    e->MSFlexGrid->SetTextMatrix(1, 1, QStringLiteral("5550000"));
    e->MenuSave->trigger();
  });
  EXPECT_EQ(device().phonebook[0], "5550000");
  EXPECT_EQ(device().phonebook[3], "5550003");
  EXPECT_EQ(device().phonebook[4], "5550004");
  EXPECT_EQ(description(3), "Depot");
  EXPECT_EQ(description(4), "Store 2");
}

TEST_F(StoredData, AClearTheSilentDeviceDidNotTakeIsNotCompletedByTheNextSave) {
  inEditor([&](phonebook::fPhoneBook* e) {
    silent(true);
    scriptedUi().answer(platform::IdYes);
    e->MenuClear->trigger();
    EXPECT_EQ(scriptedUi().boxTexts(),
              (QStringList{"Are you sure you want to clear the phonebook?", "Routers/RLX-LonMark does not answer"}));
    silent(false);
    e->MSFlexGrid->SetTextMatrix(1, 1, QStringLiteral("5550000"));
    e->MenuSave->trigger();
  });
  EXPECT_EQ(device().phonebook[0], "5550000");
  EXPECT_EQ(device().phonebook[3], "5550003");
  EXPECT_EQ(description(3), "Depot");
  EXPECT_EQ(description(4), "Store");
}

TEST_F(StoredData, AnEntryTypedWhereTheNumberCouldNotBeReadIsSaved) {
  silent(true);
  inEditor([&](phonebook::fPhoneBook* e) {
    silent(false);
    e->MSFlexGrid->SetTextMatrix(4, 1, QStringLiteral("5550033"));
    e->MenuSave->trigger();
  });
  EXPECT_EQ(device().phonebook[3], "5550033");
  EXPECT_EQ(device().phonebook[4], "5550004");
}

// --- the explicit family's records made without the device -------------------------------------

class OfflineRecords : public FaultFixture {};

TEST_F(OfflineRecords, RecordsMadeWithoutTheDeviceAreMarkedOutOfStep) {
  const lns::AppDevicePtr device = explicitRlx();
  net->change(device, [](rlxsim::DeviceState& s) { s.phonebook[2] = QStringLiteral("5550002"); });
  net->setFault(device, rlxsim::Fault::NoAnswer);
  answerConnectionError({"bNo"});
  openExplicit();
  ASSERT_TRUE(MMain.DeviceOffline);
  EXPECT_EQ(record(device, "ZevExplicitPhonebook2", 1), "");
  EXPECT_EQ(record(device, "ZevExplicitResync", 1), "1");

  // The device answers at the next open: the empty copy is not taken for
  // the device's phonebook without a word.
  net->setFault(device, rlxsim::Fault::None);
  scriptedUi().clear();
  openExplicit();
  ASSERT_FALSE(MMain.DeviceOffline);
  scriptedUi().onModal([](QDialog* d) {
    d->close();
    return 0;
  });
  explicitWindow()->MenuPhoneBook->trigger();
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"The phonebook database may be out of sync with the device!\rIt is "
                                                 "recommended you resync the phonebook."});
  EXPECT_EQ(net->state(device).phonebook[2], "5550002");
}

TEST_F(OfflineRecords, OffNetRecordsAreMarkedOutOfStepToo) {
  net->setOffNet(true);
  openExplicit();
  EXPECT_EQ(explicitWindow()->LabelMessage->text(), "<OFFNET>");
  EXPECT_EQ(record(explicitRlx(), "ZevExplicitResync", 1), "1");
  // Records that exist keep their marker.
  explicitRlx()->Extensions()->Item("ZevExplicitResync")->SetField(1, "0");
  openExplicit();
  EXPECT_EQ(record(explicitRlx(), "ZevExplicitResync", 1), "0");
}

}  // namespace
}  // namespace fault_testing
