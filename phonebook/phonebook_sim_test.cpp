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
#include "window_support/device_link.h"

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
  QString Record(int i, int field) { return rlx->Extensions()->Item(ExplicitEntryRecordName(i))->Field(field); }
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
  EXPECT_EQ(ui().boxes().back().text,
            "RLX Phonebook not updated due to data server error 'Message "
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
  // No description is stored for a number the router did not take.
  EXPECT_EQ(lm->Extensions()->Item(DescriptionRecordName(5))->Field(1), "");
  net.setFault(lm, rlxsim::Fault::None);
  EXPECT_EQ(net.state(lm).phonebook[5], "");
}

}  // namespace

// --- Nothing typed or held by the router is lost --------------------------------------

class PhonebookKept : public PhonebookSim {
 protected:
  lns::LonMarkObjectPtr Directory(int n) {
    return lm->Interface()->LonMarkObjects()->Item(QStringLiteral("Directory #%1").arg(n));
  }
  static lns::ConfigPropertyPtr NumbersOf(const lns::LonMarkObjectPtr& directory) {
    return directory->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
  }
  // The editor opened directly on a directory object, as a director opens it.
  std::unique_ptr<fPhoneBook> OpenDirectly(const lns::LonMarkObjectPtr& directory) {
    auto editor = std::make_unique<fPhoneBook>();
    PlugInCommand row;
    editor->ProcessLonMarkObjectCommand(directory, row);
    editor->show();
    return editor;
  }
  std::unique_ptr<fPhoneBook> OpenExplicitEditor() {
    PhonebookProbeAndDownload(nullptr, link, rlx);
    MMain.ExplicitFamily = 1;
    auto editor = std::make_unique<fPhoneBook>();
    editor->GetDeviceObject(rlx);
    editor->SetSender(send());
    editor->show();
    return editor;
  }
  // Types each text into the overlay, Tab between number and description,
  // Enter to the next row.
  static void Type(fPhoneBook& editor, const QList<std::pair<QString, QString>>& rows) {
    for (const auto& [number, description] : rows) {
      QTest::keyClicks(editor.TextPhonebook, number);
      QTest::keyClick(editor.TextPhonebook, Qt::Key_Tab);
      QTest::keyClicks(editor.TextPhonebook, description);
      QTest::keyClick(editor.TextPhonebook, Qt::Key_Return);
    }
  }
  static GridRow Cell(fPhoneBook& editor, int entry) {
    return {editor.MSFlexGrid->TextMatrix(entry + 1, 1), editor.MSFlexGrid->TextMatrix(entry + 1, 2)};
  }
};

TEST_F(PhonebookKept, EachDirectoryKeepsItsOwnDescriptions) {
  const auto first = NumbersOf(Directory(1));
  CreateDescriptionRecords(nullptr, lm, first);
  GridRows rows = LoadLonMarkRows(lm, first);
  rows[0] = {QStringLiteral("100"), QStringLiteral("Head office")};
  ASSERT_EQ(SaveLonMark(lm, first, rows), "");

  auto second = OpenDirectly(Directory(2));
  EXPECT_EQ(Cell(*second, 0), GridRow{});
  Type(*second, {{"200", "Depot"}});
  second->MenuSave->trigger();
  second.reset();

  EXPECT_EQ(Cell(*OpenDirectly(Directory(2)), 0), (GridRow{"200", "Depot"}));
  EXPECT_EQ(net.state(lm).phonebook[16], "200");
  EXPECT_EQ(lm->Extensions()->Item(QStringLiteral("ZevPhoneBook2_0"))->Field(1), "Depot");
  // Directory #1, and the main window's list made from it, are as they were.
  EXPECT_EQ(LoadLonMarkRows(lm, first)[0], (GridRow{"100", "Head office"}));
  EXPECT_EQ(PhoneListLonMark(lm, first), QStringList{"Head office"});
}

TEST_F(PhonebookKept, ALonMarkSaveTheSilentRouterMissedStoresNoDescriptionAndExitAsks) {
  const auto directory = Directory(1);
  CreateDescriptionRecords(nullptr, lm, NumbersOf(directory));
  fPhoneBook editor;
  editor.GetObjects(lm, directory, directory, NumbersOf(directory));
  editor.show();
  Type(editor, {{"55", "five"}});
  net.setFault(lm, rlxsim::Fault::NoAnswer);
  editor.MenuSave->trigger();
  ASSERT_EQ(ui().boxes().size(), 1);  // the router's silence, reported
  net.setFault(lm, rlxsim::Fault::None);
  EXPECT_EQ(lm->Extensions()->Item(DescriptionRecordName(0))->Field(1), "");
  EXPECT_EQ(Cell(editor, 0), (GridRow{"55", "five"}));
  EXPECT_TRUE(editor.PhonebookModified);

  ui().answer(platform::IdYes);
  editor.MenuExit->trigger();
  EXPECT_EQ(ui().boxes().back().text, "Save Changes to phonebook?");
  EXPECT_EQ(net.state(lm).phonebook[0], "55");
  EXPECT_EQ(lm->Extensions()->Item(DescriptionRecordName(0))->Field(1), "five");
}

TEST_F(PhonebookKept, ClosingAfterAStoppedSaveKeepsTheEditorWithTheUnsavedRows) {
  struct Case {
    const char* what;
    QList<std::pair<QString, QString>> typed;  // from entry 0 on; entry 1's store fails
  };
  const Case cases[] = {
      {"rows after the failed one", {{"111", "one"}, {"222", "two"}, {"333", "three"}}},
      {"the failed row's description", {{"", ""}, {"222", "two"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui().clear();
    auto editor = OpenExplicitEditor();
    Type(*editor, c.typed);
    net.clearScripts();
    net.scriptSilence(rlx, dp::StoreEntry(1, QStringLiteral("222")));
    ui().answer(platform::IdYes);  // save changes?
    ui().answer(platform::IdNo);   // update the database anyway?
    editor->close();
    EXPECT_EQ(ui().boxTexts().size(), 2);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->PhonebookModified);
    EXPECT_EQ(Cell(*editor, 1), (GridRow{"", "two"}));  // the number the router holds, the typed description
    for (int i = 2; i < c.typed.size(); ++i)
      EXPECT_EQ(Cell(*editor, i), (GridRow{c.typed[i].first, c.typed[i].second}));

    // Closing again asks again; No lets the editor go.
    ui().answer(platform::IdNo);
    editor->close();
    EXPECT_EQ(ui().boxes().back().text, "Save Changes to phonebook?");
    EXPECT_FALSE(editor->isVisible());
  }
}

TEST_F(PhonebookKept, AResyncFromTheDeviceCutShortMarksTheCopyOutOfStep) {
  SetPhonebook({{3, "333"}});
  PhonebookProbeAndDownload(nullptr, link, rlx);
  GridRows rows;
  ASSERT_TRUE(ResyncFromDevice(rlx, rows, send()));
  ASSERT_EQ(Marker(), "0");
  net.scriptSilence(rlx, dp::ReadEntry(10));
  EXPECT_FALSE(ResyncFromDevice(rlx, rows, send()));
  EXPECT_EQ(Marker(), "1");
}
