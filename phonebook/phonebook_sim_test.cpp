// The phonebook against the simulated network: requests go through the
// explicit message control and the data server to the RLX simulator, the
// LonMark family's numbers through UCPT_DialString to the same simulator.

#include <gtest/gtest.h>

#include <QTest>

#include "device_protocol/requests.h"
#include "explicit_control/zev_activex_ctrl.h"
#include "host/mmain.h"
#include "phonebook/fphonebook.h"
#include "phonebook/phonebook_editor.h"
#include "phonebook/phonebook_store.h"
#include "phonebook/phonebook_sync.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/sim_network.h"
#include "windows/support/device_link.h"

using namespace phonebook;
namespace dp = device_protocol;

namespace {

const QString kThirty = QStringLiteral("P9,*#W(555)-123-4567 !12345678");

class PhonebookSim : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::scriptedUi().clear();
    rlx = net.addDevice(QStringLiteral("PB-Explicit"), true);
    lm = net.addDevice(QStringLiteral("PB-LonMark"), false);
    link.Connect(rlx);
    control.SetCompletionWait(&net.completionWait());
  }
  testing_support::ScriptedUi& ui() { return testing_support::scriptedUi(); }
  MessageSender send() {
    return [this](const QString& request) { return link.Send(request); };
  }
  void SetPhonebook(const QList<std::pair<int, QString>>& entries) {
    net.change(rlx, [&](rlxsim::DeviceState& s) {
      for (const auto& [i, n] : entries)
        s.phonebook[i] = n;
    });
  }
  QString Entry(int i) { return net.state(rlx).phonebook[i]; }
  QString Record(int i, int field) {
    return rlx->Extensions()->Item(ExplicitEntryRecordName(i))->Field(field);
  }
  QString Marker() { return ResyncMarkerValue(rlx); }

  testing_support::SimNetwork net;
  lns::AppDevicePtr rlx;
  lns::AppDevicePtr lm;
  CZEV_ActiveXCtrl control;
  window_support::DeviceLink link{&control};
};

TEST_F(PhonebookSim, TheFirstDownloadBringsTheDevicesEntriesIncludingThirtyCharacters) {
  SetPhonebook({{0, "100"}, {7, "5551234"}, {63, kThirty}});
  EXPECT_EQ(PhonebookProbeAndDownload(nullptr, link, rlx), ProbeResult::Supported);
  EXPECT_EQ(Record(0, 1), "100");
  EXPECT_EQ(Record(7, 1), "5551234");
  EXPECT_EQ(Record(63, 1), kThirty);
  EXPECT_EQ(Record(5, 1), "");
  EXPECT_EQ(Marker(), "");
  EXPECT_TRUE(ui().modalsShown().contains("fProgress"));
  EXPECT_EQ(net.sent(rlx).size(), 65);

  net.change(rlx, [](rlxsim::DeviceState& s) { s.phonebookSupported = false; });
  auto fresh = net.addDevice(QStringLiteral("PB-None"), true);
  net.change(fresh, [](rlxsim::DeviceState& s) { s.phonebookSupported = false; });
  link.Connect(fresh);
  EXPECT_EQ(PhonebookProbeAndDownload(nullptr, link, fresh), ProbeResult::NoPhonebook);
}

TEST_F(PhonebookSim, ASilentDeviceFailsTheProbe) {
  net.setFault(rlx, rlxsim::Fault::NoAnswer);
  EXPECT_EQ(PhonebookProbeAndDownload(nullptr, link, rlx), ProbeResult::Failed);
  EXPECT_EQ(ui().boxTexts(), QStringList{"Failed to determine RLX supports Phonebook functions due to data server "
                                          "error 'Message Timeout'. Phonebook will not be created."});
}

TEST_F(PhonebookSim, SaveAndResyncKeepDeviceAndDatabaseInStep) {
  SetPhonebook({{3, "333"}});
  PhonebookProbeAndDownload(nullptr, link, rlx);
  GridRows rows = LoadExplicitRows(rlx, true);
  rows[3] = {QString(), QStringLiteral("dropped")};
  rows[12] = {kThirty, QStringLiteral("Zürich \"HQ\"")};
  net.clearSent();
  EXPECT_FALSE(SaveExplicit(rlx, rows, send()).stopped);
  EXPECT_EQ(net.sent(rlx), (QStringList{dp::StoreEntry(3, ""), dp::StoreEntry(12, kThirty)}));
  EXPECT_EQ(Entry(3), "");
  EXPECT_EQ(Entry(12), kThirty);
  EXPECT_EQ(Record(12, 2), "Zürich \"HQ\"");

  // Read back from the device: the 30-character number comes back whole.
  GridRows fromDevice;
  EXPECT_TRUE(ResyncFromDevice(rlx, fromDevice, send()));
  EXPECT_EQ(fromDevice[12].number, kThirty);
  EXPECT_EQ(Record(12, 1), kThirty);
  EXPECT_EQ(Marker(), "0");

  // The database copy goes back onto a device that lost it.
  SetPhonebook({{12, QString()}});
  GridRows fromDatabase;
  EXPECT_TRUE(ResyncFromDatabase(rlx, fromDatabase, send()));
  EXPECT_EQ(Entry(12), kThirty);
}

TEST_F(PhonebookSim, TheDeviceStoppingAtEntryTwentyLosesNothingConfirmed) {
  PhonebookProbeAndDownload(nullptr, link, rlx);
  GridRows rows = LoadExplicitRows(rlx, true);
  for (int i = 0; i < 64; ++i)
    rows[i] = {QString::number(9000 + i), QStringLiteral("entry %1").arg(i)};
  net.scriptSilence(rlx, dp::StoreEntry(20, rows[20].number));
  ui().answer(platform::IdNo);
  const ExplicitSaveResult result = SaveExplicit(rlx, rows, send());
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.stoppedAt, 20);
  EXPECT_EQ(ui().boxTexts(), QStringList{"RLX Phonebook not updated due to data server error 'Message "
                                          "Timeout'\rWould you like to update Database?"});
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(Entry(i), QString::number(9000 + i));
    EXPECT_EQ(Record(i, 1), QString::number(9000 + i));
  }
  EXPECT_EQ(Entry(20), "");
  EXPECT_EQ(Record(20, 1), "");
  EXPECT_EQ(Marker(), "1");

  // The row that failed shows the stored number again; the next save goes on
  // from there. Answering Yes: the rest reaches the database, the copy is marked.
  EXPECT_EQ(rows[20].number, "");
  net.clearScripts();
  net.scriptFailure(rlx, dp::StoreEntry(21, rows[21].number));
  ui().answer(platform::IdYes);
  const ExplicitSaveResult yes = SaveExplicit(rlx, rows, send());
  EXPECT_TRUE(yes.deviceSkipped);
  EXPECT_EQ(Record(63, 1), "9063");
  EXPECT_EQ(Entry(63), "");
  EXPECT_EQ(Marker(), "1");
  EXPECT_EQ(ui().boxes().back().text, "RLX Phonebook not updated due to data server error 'Message "
                                      "Failed'\rWould you like to update Database?");
}

TEST_F(PhonebookSim, ClearAndItsFailure) {
  SetPhonebook({{1, "11"}, {2, "22"}});
  PhonebookProbeAndDownload(nullptr, link, rlx);
  GridRows rows = LoadExplicitRows(rlx, true);
  net.scriptFailure(rlx, dp::EraseEntry(2));
  EXPECT_FALSE(ClearExplicit(rlx, rows, send()));
  EXPECT_EQ(ui().boxTexts(), QStringList{"Failed to clear phonebook due to data server error 'Message Failed'."});
  EXPECT_EQ(Entry(1), "");
  EXPECT_EQ(Entry(2), "22");
  EXPECT_EQ(rows[2].number, "22");
  net.clearScripts();
  EXPECT_TRUE(ClearExplicit(rlx, rows, send()));
  EXPECT_EQ(Entry(2), "");
  EXPECT_EQ(rows, GridRows(64));
}

TEST_F(PhonebookSim, OffNetSavesGoToTheDatabaseAndTheNextOpeningWarns) {
  PhonebookProbeAndDownload(nullptr, link, rlx);
  net.setOffNet(true);
  EXPECT_TRUE(DatabaseOnlySave());
  auto editor = std::make_unique<fPhoneBook>();
  MMain.ExplicitFamily = 1;
  editor->GetDeviceObject(rlx);
  editor->SetSender(send());
  editor->show();
  net.clearSent();
  QTest::keyClicks(editor->TextPhonebook, "4321");
  editor->MenuSave->trigger();
  EXPECT_TRUE(net.sent(rlx).isEmpty());
  EXPECT_EQ(Record(0, 1), "4321");
  EXPECT_EQ(Entry(0), "");
  EXPECT_EQ(Marker(), "1");
  editor.reset();

  net.setOffNet(false);
  EXPECT_FALSE(DatabaseOnlySave());
  ui().onModal([](QDialog*) { return 0; });
  OpenEditorExplicit(nullptr, rlx);
  EXPECT_EQ(ui().boxTexts(), QStringList{"The phonebook database may be out of sync with the device!\rIt is "
                                          "recommended you resync the phonebook."});
}

TEST_F(PhonebookSim, TheLonMarkFamilyKeepsItsNumbersOnTheDevice) {
  auto directory = lm->Interface()->LonMarkObjects()->Item(QStringLiteral("Directory #1"));
  auto dialString = directory->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
  CreateDescriptionRecords(nullptr, lm, dialString);
  GridRows rows = LoadLonMarkRows(lm, dialString);
  ASSERT_EQ(rows.size(), 16);
  rows[4] = {kThirty, QStringLiteral("Thirty")};
  EXPECT_EQ(SaveLonMark(lm, dialString, rows), "");
  EXPECT_EQ(net.state(lm).phonebook[4], kThirty);
  EXPECT_EQ(LoadLonMarkRows(lm, dialString)[4], (GridRow{kThirty, "Thirty"}));

  net.setFault(lm, rlxsim::Fault::NoAnswer);
  rows[5] = {QStringLiteral("55"), QStringLiteral("five")};
  EXPECT_FALSE(SaveLonMark(lm, dialString, rows).isEmpty());
  EXPECT_EQ(lm->Extensions()->Item(DescriptionRecordName(5))->Field(1), "five");
  net.setFault(lm, rlxsim::Fault::None);
  EXPECT_EQ(net.state(lm).phonebook[5], "");
}

}  // namespace
