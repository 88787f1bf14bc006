// A plug-in killed in the middle of a save leaves a database that opens, with
// every record either as it was or as it was saved.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>

#include "lonworks/object_server/sim_database.h"
#include "phonebook/phonebook_store.h"
#include "phonebook/testing/phonebook_fixture.h"

using namespace phonebook;

namespace {

class SaveCrash : public phonebook_testing::PhonebookTest {
 protected:
  // Runs the saving helper on the fixture's database, kills it where it
  // paused, and opens the database again; returns the named device.
  lns::AppDevicePtr KillSaveAt(const QStringList& arguments, const QString& deviceName) {
    const QString database = server->databasePath();
    MMain = MMainState{};
    server->Close();

    QProcess helper;
    helper.start(testing_support::TestEnv::binDir() + QStringLiteral("/phonebook_save_helper"),
                 QStringList{database} + arguments);
    EXPECT_TRUE(helper.waitForStarted(10000));
    QByteArray said;
    const QDeadlineTimer deadline(30000);
    while (!said.contains("paused") && helper.state() == QProcess::Running && !deadline.hasExpired())
      if (helper.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        said += helper.readAllStandardOutput();
    EXPECT_TRUE(said.contains("paused")) << said.constData() << helper.readAllStandardError().constData();
    helper.kill();  // SIGKILL: no clean-up of any kind
    EXPECT_TRUE(helper.waitForFinished(10000));

    {
      lnssim::SimDatabase db(database);
      EXPECT_EQ(db.query("PRAGMA integrity_check").scalarText().value_or(QString()), "ok");
    }
    server->Open();
    auto reopened = lnssim::openFirstSystem(*server, QStringLiteral("Phonebook"));
    return reopened.system->Subsystems()->Item(QStringLiteral("Routers"))->AppDevices()->Item(deviceName);
  }
};

TEST_F(SaveCrash, AKilledSaveLeavesEachRecordWholeAndTheCopyMarked) {
  MakeExplicitRecords();
  for (int i = 0; i < 64; ++i)
    StoreExplicit(i, QStringLiteral("old%1").arg(i), QStringLiteral("old description %1").arg(i),
                  QStringLiteral("old%1").arg(i));
  auto device = KillSaveAt({QStringLiteral("10")}, QStringLiteral("RLX-Explicit"));
  auto records = device->Extensions();
  for (int i = 0; i < 64; ++i) {
    auto r = records->Item(ExplicitEntryRecordName(i));
    const QString number = r->Field(1), description = r->Field(2);
    if (i < 10) {
      EXPECT_EQ(number, QStringLiteral("new%1").arg(i));
      EXPECT_EQ(description, QStringLiteral("new description %1").arg(i));
    } else {
      // Entry 10 was half written when the process died: it is as before.
      EXPECT_EQ(number, QStringLiteral("old%1").arg(i)) << i;
      EXPECT_EQ(description, QStringLiteral("old description %1").arg(i)) << i;
    }
  }
  // The save never finished: the copy is marked as possibly out of sync.
  EXPECT_EQ(records->Item(QString::fromLatin1(kResyncMarkerName))->Field(1), "1");
}

TEST_F(SaveCrash, AKilledSaveOfDirectoryTwoLeavesDirectoryOnesRecordsUntouched) {
  // Directory #1 as older databases hold it, Directory #2 with records of its own.
  MakeDescriptionRecords();
  auto second = lonMark->Interface()->LonMarkObjects()->Item(QStringLiteral("Directory #2"));
  const LonMarkDirectory two = DirectoryOf(second, second->ConfigProperties()->Item(QStringLiteral("UCPT_DialString")));
  auto records = lonMark->Extensions();
  for (int i = 0; i < dialString->ElementCount(); ++i) {
    records->Item(DescriptionRecordName(i))->SetField(1, QStringLiteral("first %1").arg(i));
    records->Add(two.RecordName(i))->SetField(1, QStringLiteral("old description %1").arg(i));
  }
  auto device = KillSaveAt({QStringLiteral("6"), QStringLiteral("directory2")}, QStringLiteral("RLX-LonMark"));
  records = device->Extensions();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(records->Item(DescriptionRecordName(i))->Field(1), QStringLiteral("first %1").arg(i)) << i;
    // Entry 6 was half written when the process died: it is as before.
    EXPECT_EQ(records->Item(two.RecordName(i))->Field(1),
              i < 6 ? QStringLiteral("new description %1").arg(i) : QStringLiteral("old description %1").arg(i))
        << i;
  }
}

}  // namespace
