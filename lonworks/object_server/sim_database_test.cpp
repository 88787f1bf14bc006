#include "lonworks/object_server/sim_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <vector>

#include "lonworks/object_server/test_network.h"
#include "platform/registry.h"

namespace lnssim {
namespace {

using testing::errorOf;

SimDatabase::Options creating(int busyMs = 5000) {
  SimDatabase::Options o;
  o.createIfMissing = true;
  o.busyTimeoutMs = busyMs;
  return o;
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

TEST(SimDatabase, LivesInTheLonWorksTreeAndIsCreatedWithItsFolder) {
  testing::LonWorksTree tree;
  EXPECT_EQ(SimDatabase::defaultPath(), tree.databasePath());
  EXPECT_FALSE(QFileInfo::exists(tree.root + QStringLiteral("/Database")));
  SimDatabase db(SimDatabase::defaultPath(), creating());
  EXPECT_TRUE(QFileInfo::exists(tree.databasePath()));
  EXPECT_EQ(db.query("PRAGMA user_version").scalarInt(), SimDatabase::kSchemaVersion);
  EXPECT_EQ(db.query("PRAGMA journal_mode").scalarText(), QStringLiteral("wal"));
  EXPECT_EQ(db.query("SELECT count(*) FROM networks").scalarInt(), 0);
}

TEST(SimDatabase, NoLonWorksPathMeansNoDatabase) {
  testing_support::TestEnv env;
  const QString text = errorOf([] { SimDatabase::defaultPath(); }, lns::kErrDatabase);
  EXPECT_TRUE(text.contains(QStringLiteral("LonWorks Path"))) << text.toStdString();
}

TEST(SimDatabase, MissingFileIsAnErrorUnlessCreationIsAsked) {
  testing::LonWorksTree tree;
  const QString text = errorOf([&] { SimDatabase db(tree.databasePath()); }, lns::kErrDatabase);
  EXPECT_TRUE(text.contains(QStringLiteral("does not exist"))) << text.toStdString();
  EXPECT_FALSE(QFileInfo::exists(tree.databasePath()));
}

TEST(SimDatabase, DamagedForeignAndNewerFilesAreRefused) {
  testing::LonWorksTree tree;
  const QString garbage = tree.env.scratch() + QStringLiteral("/garbage.db");
  writeFile(garbage, QByteArray(8192, '\x5a'));
  QString text = errorOf([&] { SimDatabase db(garbage, creating()); }, lns::kErrDatabase);
  EXPECT_TRUE(text.contains(QStringLiteral("damaged"))) << text.toStdString();

  // A SQLite file of another program.
  const QString foreign = tree.env.scratch() + QStringLiteral("/foreign.db");
  {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.toUtf8().constData(), &raw), SQLITE_OK);
    sqlite3_exec(raw, "CREATE TABLE notes(x)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
  }
  text = errorOf([&] { SimDatabase db(foreign, creating()); }, lns::kErrDatabase);
  EXPECT_TRUE(text.contains(QStringLiteral("not a network database"))) << text.toStdString();

  // Ours, but written by a newer version.
  const QString newer = tree.env.scratch() + QStringLiteral("/newer.db");
  {
    SimDatabase db(newer, creating());
    db.exec("PRAGMA user_version=7");
  }
  text = errorOf([&] { SimDatabase db(newer); }, lns::kErrDatabase);
  EXPECT_TRUE(text.contains(QStringLiteral("newer version (schema 7"))) << text.toStdString();

  // A folder where the file should be.
  QDir().mkpath(tree.env.scratch() + QStringLiteral("/folder.db"));
  errorOf([&] { SimDatabase db(tree.env.scratch() + QStringLiteral("/folder.db"), creating()); }, lns::kErrDatabase);
}

TEST(SimDatabase, ReadOnlyFileReadsButRefusesChanges) {
  testing::LonWorksTree tree;
  {
    SimDatabase db(tree.databasePath(), creating());
    db.query("INSERT INTO networks(name) VALUES('N')").run();
  }
  SimDatabase::Options ro;
  ro.readOnly = true;
  SimDatabase db(tree.databasePath(), ro);
  EXPECT_TRUE(db.isReadOnly());
  EXPECT_EQ(db.query("SELECT name FROM networks").scalarText(), QStringLiteral("N"));
  const QString text = errorOf([&] { db.query("INSERT INTO networks(name) VALUES('M')").run(); }, lns::kErrDatabase);
  EXPECT_TRUE(text.contains(QStringLiteral("cannot be written"))) << text.toStdString();

  // A file without write permission (meaningful when not running as root).
  if (geteuid() != 0) {
    QFile::setPermissions(tree.databasePath(), QFile::ReadOwner);
    SimDatabase locked(tree.databasePath());
    errorOf([&] { locked.query("INSERT INTO networks(name) VALUES('M')").run(); }, lns::kErrDatabase);
  }
}

// A file deleted or replaced under an open connection would take every
// later change into an inode nobody opens again: the changes are refused and
// reported, and nothing written after the loss is taken for saved.
TEST(SimDatabase, ChangesToAFileDeletedOrReplacedWhileOpenAreRefused) {
  const std::pair<const char*, std::function<void(const QString&)>> cases[] = {
      {"deleted", [](const QString& path) { ASSERT_TRUE(QFile::remove(path)); }},
      {"replaced", [](const QString& path) {
         ASSERT_TRUE(QFile::remove(path));
         ASSERT_TRUE(QFile::copy(path + QStringLiteral(".copy"), path));
       }}};
  for (const auto& [what, lose] : cases) {
    SCOPED_TRACE(what);
    testing::LonWorksTree tree;
    SimDatabase db(tree.databasePath(), creating());
    db.query("INSERT INTO networks(name) VALUES('before')").run();
    db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    ASSERT_TRUE(QFile::copy(tree.databasePath(), tree.databasePath() + QStringLiteral(".copy")));
    lose(tree.databasePath());
    for (const auto& change :
         std::vector<std::function<void()>>{[&] { db.query("INSERT INTO networks(name) VALUES('after')").run(); },
                                            [&] {
                                              SimDatabase::Transaction tx(db);
                                              db.query("UPDATE networks SET name='renamed'").run();
                                              tx.commit();
                                            }}) {
      const QString text = errorOf(change, lns::kErrDatabase);
      EXPECT_TRUE(text.contains(QStringLiteral("was deleted or replaced while it was open"))) << text.toStdString();
    }
    // Reads still work; nothing of the refused changes is there.
    EXPECT_EQ(db.query("SELECT group_concat(name) FROM networks").scalarText(), QStringLiteral("before"));
    EXPECT_FALSE(db.inTransaction());
  }
}

TEST(SimDatabase, ABusyDatabaseIsWaitedForABoundedTimeThenReported) {
  testing::LonWorksTree tree;
  SimDatabase writer(tree.databasePath(), creating());
  SimDatabase other(tree.databasePath(), creating(50));
  SimDatabase::Transaction tx(writer);
  writer.query("INSERT INTO networks(name) VALUES('held')").run();
  // In WAL mode readers go on, and see only committed data.
  EXPECT_EQ(other.query("SELECT count(*) FROM networks").scalarInt(), 0);
  const QString text = errorOf([&] { SimDatabase::Transaction t2(other); }, lns::kErrDatabase);
  EXPECT_TRUE(text.contains(QStringLiteral("busy"))) << text.toStdString();
  tx.commit();
  SimDatabase::Transaction t3(other);
  EXPECT_EQ(other.query("SELECT count(*) FROM networks").scalarInt(), 1);
}

TEST(SimDatabase, AnExclusivelyLockedFileIsReportedNotHung) {
  testing::LonWorksTree tree;
  SimDatabase owner(tree.databasePath(), creating());
  owner.exec("PRAGMA locking_mode=EXCLUSIVE");
  owner.query("INSERT INTO networks(name) VALUES('mine')").run();
  SimDatabase::Options o;
  o.busyTimeoutMs = 50;
  errorOf(
      [&] {
        SimDatabase other(tree.databasePath(), o);
        other.query("SELECT count(*) FROM networks").scalarInt();
      },
      lns::kErrDatabase);
}

TEST(SimDatabase, TwoConnectionsSeeEachOthersChanges) {
  testing::LonWorksTree tree;
  SimDatabase a(tree.databasePath(), creating());
  SimDatabase b(tree.databasePath());
  {
    SimDatabase::Transaction tx(a);
    a.query("INSERT INTO networks(name) VALUES(?1)").bind(1, QStringLiteral("from a")).run();
    tx.commit();
  }
  EXPECT_EQ(b.query("SELECT name FROM networks").scalarText(), QStringLiteral("from a"));
  b.query("UPDATE networks SET name='from b'").run();
  EXPECT_EQ(a.query("SELECT name FROM networks").scalarText(), QStringLiteral("from b"));
}

TEST(SimDatabase, TransactionsRollBackUnlessCommittedAndNestAsSavepoints) {
  testing::LonWorksTree tree;
  SimDatabase db(tree.databasePath(), creating());
  {
    SimDatabase::Transaction outer(db);
    db.query("INSERT INTO networks(name) VALUES('kept')").run();
    {
      SimDatabase::Transaction inner(db);
      db.query("INSERT INTO networks(name) VALUES('dropped')").run();
    }  // no commit: only the inner part goes
    outer.commit();
  }
  EXPECT_EQ(db.query("SELECT group_concat(name) FROM networks").scalarText(), QStringLiteral("kept"));
  try {
    SimDatabase::Transaction tx(db);
    db.query("INSERT INTO networks(name) VALUES('lost')").run();
    throw lns::LnsError(lns::kErrInvalidValue, QStringLiteral("stop"));
  } catch (const lns::LnsError&) {
  }
  EXPECT_EQ(db.query("SELECT count(*) FROM networks").scalarInt(), 1);
  EXPECT_FALSE(db.inTransaction());
  // A unique name taken twice is a name-in-use error.
  errorOf([&] { db.query("INSERT INTO networks(name) VALUES('kept')").run(); }, lns::kErrNameInUse);
}

TEST(SimDatabase, ComponentSchemasAreCreatedOnceMigratedAndVersionChecked) {
  testing::LonWorksTree tree;
  SimDatabase db(tree.databasePath(), creating());
  QList<int> calls;
  auto version1 = [&](SimDatabase& d, int from) {
    calls << from;
    d.exec("CREATE TABLE sim_state(device_id INTEGER PRIMARY KEY, state TEXT)");
  };
  auto version2 = [&](SimDatabase& d, int from) {
    calls << from;
    if (from < 1)
      version1(d, from);
    d.exec("ALTER TABLE sim_state ADD COLUMN since INTEGER");
  };
  db.ensureComponentSchema(QStringLiteral("rlx_sim"), 1, version1);
  db.ensureComponentSchema(QStringLiteral("rlx_sim"), 1, version1);
  db.ensureComponentSchema(QStringLiteral("rlx_sim"), 2, version2);
  EXPECT_EQ(calls, (QList<int>{0, 1}));
  auto migrate = version1;
  db.query("INSERT INTO sim_state VALUES(1, 'idle', 5)").run();
  errorOf([&] { db.ensureComponentSchema(QStringLiteral("rlx_sim"), 1, migrate); }, lns::kErrDatabase);
}

TEST(SimDatabase, NestedUseOfOneStatementDoesNotDisturbTheOuterOne) {
  testing::LonWorksTree tree;
  SimDatabase db(tree.databasePath(), creating());
  for (const char* n : {"a", "b", "c"})
    db.query("INSERT INTO networks(name) VALUES(?1)").bind(1, QString::fromLatin1(n)).run();
  QStringList seen;
  Query outer = db.query("SELECT name FROM networks ORDER BY id");
  while (outer.next()) {
    seen << outer.text(0);
    // The same text while the outer statement is stepping.
    EXPECT_EQ(db.query("SELECT name FROM networks ORDER BY id").scalarText(), QStringLiteral("a"));
  }
  EXPECT_EQ(seen, (QStringList{"a", "b", "c"}));
}

}  // namespace
}  // namespace lnssim
