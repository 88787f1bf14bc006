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

class SaveCrash : public phonebook_testing::PhonebookTest {};

TEST_F(SaveCrash, AKilledSaveLeavesEachRecordWholeAndTheCopyMarked) {
  MakeExplicitRecords();
  for (int i = 0; i < 64; ++i)
    StoreExplicit(i, QStringLiteral("old%1").arg(i), QStringLiteral("old description %1").arg(i),
                  QStringLiteral("old%1").arg(i));
  const QString database = server->databasePath();
  MMain = MMainState{};
  server->Close();

  QProcess helper;
  helper.start(testing_support::TestEnv::binDir() + QStringLiteral("/phonebook_save_helper"),
               {database, QStringLiteral("10")});
  ASSERT_TRUE(helper.waitForStarted(10000));
  QByteArray said;
  const QDeadlineTimer deadline(30000);
  while (!said.contains("paused") && helper.state() == QProcess::Running && !deadline.hasExpired())
    if (helper.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
      said += helper.readAllStandardOutput();
  ASSERT_TRUE(said.contains("paused")) << said.constData() << helper.readAllStandardError().constData();
  helper.kill();  // SIGKILL: no clean-up of any kind
  ASSERT_TRUE(helper.waitForFinished(10000));

  {
    lnssim::SimDatabase db(database);
    EXPECT_EQ(db.query("PRAGMA integrity_check").scalarText().value_or(QString()), "ok");
  }
  server->Open();
  auto sys = lnssim::openFirstSystem(*server, QStringLiteral("Phonebook"));
  auto device =
      sys.system->Subsystems()->Item(QStringLiteral("Routers"))->AppDevices()->Item(QStringLiteral("RLX-Explicit"));
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

}  // namespace
