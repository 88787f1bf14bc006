// The network database cannot be written while a window works: another
// program holds its write lock (SQLite's busy timeout runs out), the file is
// read-only, or it was deleted (here: moved away) after the plug-in opened it. Saving the phonebook, writing a
// configuration property and opening a window give the operator an error text; nothing crashes, nothing already stored
// is lost, and once the database is writable again the same command works.
//
// Read-only: the plug-in's connection is switched to query-only, which
// refuses every write with SQLite's read-only error, as a file opened
// read-only does (file permissions would not stop a test running as root).
// The simulated routers keep their state in the same database through a
// connection of their own; while another program holds the lock, the
// explicit messages a test needs are given scripted answers, so that no
// message waits out that connection's own timeout.

#include <sqlite3.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "lonworks/object_server/sim_database.h"
#include "phonebook/fphonebook.h"
#include "phonebook/phonebook_grid.h"
#include "tests/faults/fault_fixture.h"

namespace fault_testing {
namespace {

enum class DatabaseFault { Locked, ReadOnly, Deleted };

// The plug-in's busy timeout in these tests: a write that meets the lock
// gives up after it.
constexpr int kBusyTimeoutMs = 20;

class DatabaseFaults : public FaultFixture, public ::testing::WithParamInterface<DatabaseFault> {
 protected:
  void SetUp() override {
    FaultFixture::SetUp();
    sqlite3_busy_timeout(db(), kBusyTimeoutMs);
  }
  void TearDown() override {
    release();
    FaultFixture::TearDown();
  }
  sqlite3* db() { return net->server().database().handle(); }
  QString path() const { return net->lonWorksPath() + QStringLiteral("/Database/lns.db"); }

  void breakDatabase() {
    if (GetParam() == DatabaseFault::Locked) {
      ASSERT_EQ(sqlite3_open_v2(path().toUtf8().constData(), &other_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
      ASSERT_EQ(sqlite3_exec(other_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    } else if (GetParam() == DatabaseFault::Deleted) {
      ASSERT_TRUE(QFile::rename(path(), path() + QStringLiteral(".gone")));
    } else {
      ASSERT_EQ(sqlite3_exec(db(), "PRAGMA query_only=1", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    broken_.start();
  }
  void release() {
    if (other_) {
      sqlite3_exec(other_, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(other_);
      other_ = nullptr;
    }
    sqlite3_exec(db(), "PRAGMA query_only=0", nullptr, nullptr, nullptr);
    if (QFile::exists(path() + QStringLiteral(".gone")))
      QFile::rename(path() + QStringLiteral(".gone"), path());
  }

  // The text the operator reads for the fault.
  void expectDatabaseError(const QString& text) {
    EXPECT_TRUE(text.startsWith(QStringLiteral("The network database ") + path())) << text.toStdString();
    if (GetParam() == DatabaseFault::Locked) {
      EXPECT_TRUE(text.contains(QLatin1String("is busy: another program is using it"))) << text.toStdString();
      // The write waited out the busy timeout before giving up.
      EXPECT_GE(broken_.elapsed(), kBusyTimeoutMs);
    } else if (GetParam() == DatabaseFault::Deleted) {
      EXPECT_TRUE(text.contains(QLatin1String("was deleted or replaced while it was open"))) << text.toStdString();
    } else {
      EXPECT_TRUE(text.contains(QLatin1String("cannot be written"))) << text.toStdString();
    }
  }
  // One box: the database's error text with the program's title.
  void expectOneDatabaseBox() {
    ASSERT_EQ(scriptedUi().boxes().size(), 1) << scriptedUi().boxTexts().join(" | ").toStdString();
    expectDatabaseError(scriptedUi().boxes()[0].text);
    EXPECT_EQ(scriptedUi().boxes()[0].title, "RLX_Plug");
    EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
  }

  // While the simulated devices cannot keep their state (they keep it in the
  // same file), the device's answers come from a script.
  void answerWhileLocked(const lns::AppDevicePtr& device, const QString& request, const QString& reply) {
    if (GetParam() != DatabaseFault::ReadOnly)
      net->scriptReply(device, request, reply);
  }

  // The simulated explicit router is found through the database file: with
  // the file gone no message reaches it (a router in the field does not need
  // the file), so an explicit open cannot be tried.
  bool routerUnreachable() const { return GetParam() == DatabaseFault::Deleted; }

  // What the explicit window's open asks the device, answered while the lock
  // is held: a ready internal modem in manual mode, ring mode and a
  // phonebook holding entry 7.
  void answerExplicitOpenWhileLocked() {
    const lns::AppDevicePtr d = explicitRlx();
    const std::pair<const char*, const char*> answers[] = {{"00 01 55 00 03", "1\t55\t0"},
                                                           {"00 01 48 00", "1\t48\t0\t82\t76\t88"},
                                                           {"00 01 65 00 01", "1\t65\t0"},
                                                           {"00 01 65 02 01", "1\t65\t0"},
                                                           {"00 01 65 03 01", "1\t65\t0"},
                                                           {"00 01 72 00 02", "1\t72\t0\t0\t0\t0\t0\t0\t0\t0"},
                                                           {"00 01 66 00 02 00", "1\t66\t0\t0\t0\t0\t0"},
                                                           {"00 01 53 00", "1\t53\t0\t0\t0"},
                                                           {"00 01 69 00 02", "1\t69\t0\t0\t0\t0"},
                                                           {"00 01 34 00 00", "1\t34\t0"}};
    for (const auto& [request, reply] : answers)
      answerWhileLocked(d, QString::fromLatin1(request), QString::fromLatin1(reply));
    for (int i = 0; i < 64; ++i)
      answerWhileLocked(d, QStringLiteral("00 01 66 00 02 ") + QString::number(i),
                        i == 7 ? QStringLiteral("1\t66\t0\t2\t7\t53\t53\t53\t48\t48\t48\t55\t0")
                               : QStringLiteral("1\t66\t0\t2\t0\t0"));
  }

  void inEditor(DeviceWindow* w, const std::function<void(phonebook::fPhoneBook*)>& work) {
    scriptedUi().onModal([&work](QDialog* d) {
      if (auto* e = qobject_cast<phonebook::fPhoneBook*>(d)) {
        e->show();
        work(e);
        e->close();
      }
      return 0;
    });
    w->MenuPhoneBook->trigger();
  }

  sqlite3* other_ = nullptr;
  QElapsedTimer broken_;
};

TEST_P(DatabaseFaults, AnExplicitPhonebookSaveKeepsTheEditsAndSendsNothing) {
  openExplicit();
  explicitEntry(5, QStringLiteral("5550005"), QStringLiteral("Depot"));
  const Records before = RecordsOf(explicitRlx());
  net->clearSent();
  scriptedUi().clear();
  inEditor(explicitWindow(), [&](phonebook::fPhoneBook* e) {
    QTest::keyClicks(e->TextPhonebook, "4321");
    breakDatabase();
    e->MenuSave->trigger();
    expectOneDatabaseBox();
    // Nothing went to the device ahead of its record, and the edit is still there.
    EXPECT_TRUE(net->sent(explicitRlx()).isEmpty());
    EXPECT_EQ(e->MSFlexGrid->TextMatrix(1, 1), "4321");
    EXPECT_TRUE(e->PhonebookModified);
    EXPECT_TRUE(e->MSFlexGrid->isVisible());
    // Writable again: the same save goes through.
    release();
    e->MenuSave->trigger();
    EXPECT_EQ(scriptedUi().boxes().size(), 1);
  });
  EXPECT_EQ(net->state(explicitRlx()).phonebook[0], "4321");
  EXPECT_EQ(record(explicitRlx(), "ZevExplicitPhonebook0", 1), "4321");
  Records expected = before;
  expected["ZevExplicitPhonebook0"] = QStringList{"4321", "", "4321"};
  EXPECT_EQ(RecordsOf(explicitRlx()), expected);
}

TEST_P(DatabaseFaults, ALonMarkPhonebookSaveReportsAndKeepsWhatIsStored) {
  openLonMark();
  lonMarkEntry(3, QStringLiteral("5550003"), QStringLiteral("Depot"));
  const Records before = RecordsOf(lonMark());
  scriptedUi().clear();
  inEditor(main(), [&](phonebook::fPhoneBook* e) {
    e->MSFlexGrid->SetTextMatrix(4, 1, QStringLiteral("5550033"));
    e->MSFlexGrid->SetTextMatrix(4, 2, QStringLiteral("Depot 2"));
    breakDatabase();
    e->MenuSave->trigger();
    expectOneDatabaseBox();
    release();
    // The edit is still unsaved: closing asks, and the operator lets it go.
    EXPECT_TRUE(e->PhonebookModified);
    scriptedUi().answer(platform::IdNo);
  });
  EXPECT_EQ(scriptedUi().boxes().back().text, "Save Changes to phonebook?");
  EXPECT_EQ(RecordsOf(lonMark()), before);
  EXPECT_EQ(net->state(lonMark()).phonebook[3], "5550003");
}

TEST_P(DatabaseFaults, AConfigurationPropertyWriteIsReportedAndChangesNothing) {
  fMain* w = openLonMark();
  ASSERT_TRUE(w->SubMenuAutoAnswer->isChecked());
  scriptedUi().clear();
  breakDatabase();
  w->SubMenuAutoAnswer->trigger();
  expectOneDatabaseBox();
  EXPECT_TRUE(w->SubMenuAutoAnswer->isChecked());
  release();
  EXPECT_TRUE(net->state(lonMark()).modems[0].autoAnswer);
  EXPECT_EQ(net->lonMarkObject(MMain.InternalModemObjectName)
                ->ConfigProperties()
                ->Item(QStringLiteral("UCPT_AutoAnswer"))
                ->Value(),
            "True");
  // Writable again, the same command works.
  w->SubMenuAutoAnswer->trigger();
  EXPECT_FALSE(w->SubMenuAutoAnswer->isChecked());
  EXPECT_FALSE(net->state(lonMark()).modems[0].autoAnswer);
  EXPECT_EQ(scriptedUi().boxes().size(), 1);
}

TEST_P(DatabaseFaults, TheRingModePropertyWriteIsReportedAndTheApplyGoesOn) {
  fMain* w = openLonMark();
  scriptedUi().clear();
  scriptedUi().onModal([this](QDialog* d) {
    auto* r = qobject_cast<fRingMode*>(d);
    if (!r)
      return 0;
    breakDatabase();
    r->EnableChk->setChecked(true);
    r->EnableChk_Click();
    r->TextUnitID->setText(QStringLiteral("5"));
    r->CmdApply->click();
    return 0;
  });
  w->SubMenuRingMode->trigger();
  expectOneDatabaseBox();
  release();
  EXPECT_FALSE(net->state(lonMark()).ring.enabled);
}

TEST_P(DatabaseFaults, AnExplicitAutoAnswerTheDeviceTookIsReportedWhenItsRecordCannotBeWritten) {
  fMainExplicit* w = openExplicit();
  ASSERT_TRUE(w->SubMenuAutoAnswer->isChecked());
  scriptedUi().clear();
  answerWhileLocked(explicitRlx(), QStringLiteral("00 01 65 00 00"), QStringLiteral("1\t65\t0"));
  breakDatabase();
  w->SubMenuAutoAnswer->trigger();
  expectOneDatabaseBox();
  // The mark follows the device; the record keeps what it held.
  EXPECT_FALSE(w->SubMenuAutoAnswer->isChecked());
  release();
  EXPECT_EQ(autoAnswerRecord(), "111");
}

TEST_P(DatabaseFaults, AnExplicitFirstOpenShowsTheErrorAndDownloadsAtTheNextOpen) {
  if (routerUnreachable())
    GTEST_SKIP() << "the simulated explicit router lives in the deleted file";
  explicitWindow()->show();
  net->change(explicitRlx(), [](rlxsim::DeviceState& s) { s.phonebook[7] = QStringLiteral("5550007"); });
  answerExplicitOpenWhileLocked();
  breakDatabase();
  configureExplicitDevice();
  fMainExplicit* w = explicitWindow();
  // The window opens on the device; the phonebook's records could not be made.
  EXPECT_TRUE(w->LabelProduct->text().startsWith("RLX Firmware: R"));
  EXPECT_EQ(w->ComboModem->currentText(), MMain.InternalModemObjectName);
  expectOneDatabaseBox();
  EXPECT_EQ(RecordsOf(explicitRlx()), Records());
  EXPECT_EQ(net->state(explicitRlx()).phonebook[7], "5550007");
  release();
  net->clearScripts();
  expectUsable(w, explicitRlx());

  scriptedUi().clear();
  configureExplicitDevice();
  EXPECT_TRUE(scriptedUi().boxes().isEmpty()) << scriptedUi().boxTexts().join(" | ").toStdString();
  EXPECT_EQ(record(explicitRlx(), "ZevExplicitPhonebook7", 1), "5550007");
  EXPECT_EQ(autoAnswerRecord(), "111");
}

TEST_P(DatabaseFaults, AnExplicitWindowOpensOnTheDatabaseItCanReadButItsEditorDoesNot) {
  if (routerUnreachable())
    GTEST_SKIP() << "the simulated explicit router lives in the deleted file";
  openExplicit();
  explicitEntry(5, QStringLiteral("5550005"), QStringLiteral("Depot"));
  // A save to the database only left entry 5 to be sent: its LoadedNumber is reset at the editor's opening.
  explicitRlx()->Extensions()->Item(QStringLiteral("ZevExplicitPhonebook5"))->SetField(3, QString());
  const Records before = RecordsOf(explicitRlx());
  answerExplicitOpenWhileLocked();
  scriptedUi().clear();
  breakDatabase();
  configureExplicitDevice();
  fMainExplicit* w = explicitWindow();
  EXPECT_TRUE(scriptedUi().boxes().isEmpty()) << scriptedUi().boxTexts().join(" | ").toStdString();
  EXPECT_EQ(w->ComboModem->currentText(), MMain.InternalModemObjectName);
  EXPECT_TRUE(w->MenuPhoneBook->isEnabled());
  EXPECT_EQ(w->ComboPhone->itemText(0), "Depot");

  w->MenuPhoneBook->trigger();
  expectOneDatabaseBox();
  EXPECT_FALSE(scriptedUi().modalsShown().contains("fPhoneBook"));
  release();
  EXPECT_EQ(RecordsOf(explicitRlx()), before);
  net->clearScripts();
  expectUsable(w, explicitRlx());
}

TEST_P(DatabaseFaults, ALonMarkOpenMeetsASimulatedRouterThatCannotKeepItsState) {
  if (GetParam() != DatabaseFault::ReadOnly)
    net->scriptReply(lonMark(), QStringLiteral("00 01 55 00 03"), QStringLiteral("1\t55\t0"));
  main()->show();
  configureObject(MMain.InternalModemObjectName);  // the description records exist from here on
  const Records before = RecordsOf(lonMark());
  scriptedUi().clear();
  breakDatabase();
  // The simulated router reads its variables through the database: the
  // operator is told what is wrong with the database, not asked whether the
  // device is connected.
  configureObject(MMain.InternalModemObjectName);
  expectOneDatabaseBox();
  EXPECT_TRUE(scriptedUi().modalsShown().isEmpty()) << scriptedUi().modalsShown().join(' ').toStdString();
  EXPECT_EQ(main()->LabelProduct->text(), "RLX Firmware: <not available>");
  expectDatabaseError(main()->LabelMessage->text());
  EXPECT_FALSE(main()->CmdDial->isEnabled());
  EXPECT_FALSE(MMain.AttachAbandoned);
  release();
  EXPECT_EQ(RecordsOf(lonMark()), before);
  net->clearScripts();
  expectUsable(main(), lonMark());
}

INSTANTIATE_TEST_SUITE_P(Database, DatabaseFaults,
                         ::testing::Values(DatabaseFault::Locked, DatabaseFault::ReadOnly, DatabaseFault::Deleted),
                         [](const ::testing::TestParamInfo<DatabaseFault>& info) {
                           switch (info.param) {
                             case DatabaseFault::Locked: return std::string("Locked");
                             case DatabaseFault::ReadOnly: return std::string("ReadOnly");
                             case DatabaseFault::Deleted: break;
                           }
                           return std::string("Deleted");
                         });

}  // namespace
}  // namespace fault_testing
