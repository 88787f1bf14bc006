// A disk that fills up while the product writes: every file it writes (the
// shared resource catalog, the resource copies, the registry hives, the
// compiled interface files) is either written whole or left as it was, and
// the failure is reported, never taken for success. The test program runs
// with the write-failing library preloaded (tests/support/fail_writes.c);
// each case names the folder whose files' writes fail (a temporary file made
// to be renamed over the target has no name of its own, only its folder).

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "host/device_resources.h"
#include "host/ldrf.h"
#include "host/registration.h"
#include "lonworks/device_resources/ldrf_standin.h"
#include "platform/data_folder.h"
#include "platform/registry.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_env.h"

namespace {

using platform::Hive;
using platform::Registry;
using testing_support::scriptedUi;
using testing_support::TestEnv;

QString ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

void WriteAll(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(f.write(data), data.size());
}

class DiskFull : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(qEnvironmentVariable("LD_PRELOAD").contains("fail_writes"))
        << "run with the write-failing library preloaded (ctest does)";
    ldrf::setFactory(&factory_);
    // An installation: the program in bin/, its files in the data folder.
    const QString programFolder = env_.scratch() + "/prefix/bin";
    ASSERT_TRUE(QDir().mkpath(programFolder));
    data_ = platform::ProductDataFolder(programFolder);
    const QString src = TestEnv::sourceDir() + "/resources";
    for (const char* f : {"xif/Rlxtlc32.xif", "xif/Rlxtlc20.xif", "Resource/Zev.enu", "Resource/Zev.fmt",
                          "Resource/Zev.fpt", "Resource/Zev.typ"})
      WriteAll(data_ + "/" + f, ReadAll(src + "/" + f).toUtf8());
    registration::SetProgramFolder(programFolder);
    lonworks_ = env_.makeLonWorksTree();
  }
  void TearDown() override {
    qunsetenv("RLX_FAIL_WRITES");
    qunsetenv("RLX_FAIL_WRITES_AFTER");
    registration::SetProgramFolder(QString());
    ldrf::setFactory(nullptr);
  }
  // From now on, writes to files whose path contains pattern fail once
  // `after` bytes have gone to them.
  static void FailWritesTo(const QString& folder, int after = 0) {
    qputenv("RLX_FAIL_WRITES", QFile::encodeName(folder));
    qputenv("RLX_FAIL_WRITES_AFTER", QByteArray::number(after));
  }
  int Xif32bin(const QString& in, const QString& out) {
    QProcess p;
    p.start(TestEnv::binDir() + "/XIF32BIN", {in, out});
    EXPECT_TRUE(p.waitForFinished(10000));
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  TestEnv env_;
  lonworks::LdrfStandInFactory factory_;
  QString data_;
  QString lonworks_;
};

TEST_F(DiskFull, TheSharedCatalogAndTheResourceCopiesAreWholeOrAsTheyWere) {
  const QString catalog = lonworks_ + "/Types/ldrf.cat";
  const QString others = "LDRF-CATALOG 1\nC:\\LonWorks\\types\\user\\Other\\\n";
  const QString enu = lonworks_ + "/Types/User/Zev/Zev.enu";
  const QString newEnu = ReadAll(data_ + "/Resource/Zev.enu");
  // The disk fills at once, after the first file or two, and later.
  for (int after : {0, 16, 3000, 9000}) {
    SCOPED_TRACE(after);
    WriteAll(catalog, others.toUtf8());
    WriteAll(enu, "previous names\n");
    scriptedUi().clear();
    FailWritesTo(lonworks_ + "/Types/", after);
    const bool installed = device_resources::InstallDeviceResources();
    qunsetenv("RLX_FAIL_WRITES");
    const QString enuNow = ReadAll(enu);
    const QString catalogNow = ReadAll(catalog);
    EXPECT_TRUE(enuNow == "previous names\n" || enuNow == newEnu) << enuNow.left(80).toStdString();
    const bool catalogWhole = catalogNow.startsWith(others) && catalogNow.contains("ZEV");
    EXPECT_TRUE(catalogNow == others || catalogWhole) << catalogNow.toStdString();
    if (enuNow != newEnu || !catalogWhole) {
      EXPECT_TRUE(!installed || !scriptedUi().boxes().isEmpty()) << "a failed write reported as success";
    }
  }
  // Once the disk has room again everything is in place, the other maker's
  // directory kept.
  scriptedUi().clear();
  EXPECT_TRUE(device_resources::InstallDeviceResources());
  EXPECT_TRUE(ReadAll(catalog).startsWith(others));
  EXPECT_TRUE(ReadAll(catalog).contains("ZEV"));
  EXPECT_EQ(ReadAll(enu), newEnu);
}

TEST_F(DiskFull, ARegistryHiveKeepsWhatItHeld) {
  const QString key = QStringLiteral("SOFTWARE\\Zev Products Inc\\RLX_PLUG");
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, key, QStringLiteral("Path"), QStringLiteral("/opt/rlx")));
  const QString before = ReadAll(Registry::hiveFile(Hive::LocalMachine));
  for (int after : {0, 40}) {
    FailWritesTo(env_.registryRoot() + "/", after);
    EXPECT_FALSE(Registry::setValue(Hive::LocalMachine, key, QStringLiteral("Other"), QString(200, u'x')));
    qunsetenv("RLX_FAIL_WRITES");
    EXPECT_EQ(ReadAll(Registry::hiveFile(Hive::LocalMachine)), before) << "after " << after;
    EXPECT_EQ(Registry::value(Hive::LocalMachine, key, QStringLiteral("Path"))->data, "/opt/rlx");
  }
}

TEST_F(DiskFull, XIF32BINLeavesNoOutputOrThePreviousOne) {
  const QString in = data_ + "/xif/Rlxtlc32.xif";
  const QString folder = env_.scratch() + "/import/";
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString out = folder + "Rlxtlc32.XFB";
  for (int after : {0, 8}) {
    FailWritesTo(folder, after);
    EXPECT_NE(Xif32bin(in, out), 0);
    EXPECT_FALSE(QFile::exists(out)) << "after " << after;
  }
  qunsetenv("RLX_FAIL_WRITES");
  ASSERT_EQ(Xif32bin(in, out), 0);
  const QString compiled = ReadAll(out);
  EXPECT_GT(compiled.size(), 4);
  FailWritesTo(folder, 8);
  EXPECT_NE(Xif32bin(in, out), 0);
  EXPECT_EQ(ReadAll(out), compiled);
  // An output that is not a regular file is refused, not written through.
  qunsetenv("RLX_FAIL_WRITES");
  const QString notAFile = folder + "folder.XFB";
  ASSERT_TRUE(QDir().mkpath(notAFile));
  EXPECT_NE(Xif32bin(in, notAFile), 0);
  EXPECT_TRUE(QFileInfo(notAFile).isDir());
}

}  // namespace
