#include "host/device_resources.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "host/ldrf.h"
#include "host/mmain.h"
#include "host/registration.h"
#include "host/startup.h"
#include "lonworks/device_resources/ldrf_standin.h"
#include "platform/data_folder.h"
#include "platform/registry.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_env.h"

using testing_support::scriptedUi;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DeviceResources : public ::testing::Test {
 protected:
  void SetUp() override {
    ldrf::setFactory(&factory_);
    // An installation: the program in bin/, its files in the data folder
    // that goes with it (share/rlx-plug), nothing beside the program.
    const QString programFolder = env_.scratch() + "/prefix/bin";
    QDir().mkpath(programFolder);
    dataFolder_ = platform::ProductDataFolder(programFolder);
    fillDataFolder();
    registration::SetProgramFolder(programFolder);
  }
  // The interface and resource files in the data folder, the missing ones copied again.
  void fillDataFolder() {
    const QString src = testing_support::TestEnv::sourceDir() + "/resources";
    QDir().mkpath(dataFolder_ + "/xif");
    QDir().mkpath(dataFolder_ + "/Resource");
    for (const char* f : {"xif/Rlxtlc32.xif", "xif/Rlxtlc20.xif", "Resource/Zev.enu", "Resource/Zev.fmt",
                          "Resource/Zev.fpt", "Resource/Zev.typ"}) {
      if (!QFile::exists(dataFolder_ + "/" + f)) {
        ASSERT_TRUE(QFile::copy(src + "/" + f, dataFolder_ + "/" + f)) << f;
      }
    }
  }
  void TearDown() override {
    registration::SetProgramFolder(QString());
    ldrf::setFactory(nullptr);
  }
  QStringList catalog(const QString& lonworks) {
    QStringList lines = QString::fromUtf8(readAll(lonworks + "/Types/ldrf.cat")).split('\n', Qt::SkipEmptyParts);
    if (!lines.isEmpty())
      lines.removeFirst();
    return lines;
  }

  testing_support::TestEnv env_;
  lonworks::LdrfStandInFactory factory_;
  QString dataFolder_;
};

TEST_F(DeviceResources, InstallCopiesFilesAndRegistersTheResourceDirectory) {
  const QString L = env_.makeLonWorksTree();
  QFile stale(L + "/Import/Rlxtlc32.XFB");
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();
  EXPECT_TRUE(device_resources::InstallDeviceResources());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty()) << scriptedUi().boxTexts().join("|").toStdString();
  EXPECT_EQ(readAll(L + "/Import/Rlxtlc32.xif"), readAll(dataFolder_ + "/xif/Rlxtlc32.xif"));
  EXPECT_EQ(readAll(L + "/Import/Rlxtlc20.xif"), readAll(dataFolder_ + "/xif/Rlxtlc20.xif"));
  EXPECT_FALSE(QFile::exists(L + "/Import/Rlxtlc32.XFB"));
  for (const char* f : {"Zev.enu", "Zev.fmt", "Zev.fpt", "Zev.typ"})
    EXPECT_EQ(readAll(L + "/Types/User/Zev/" + f), readAll(dataFolder_ + "/Resource/" + f)) << f;
  EXPECT_EQ(catalog(L), QStringList{L + "\\types\\user\\ZEV\\"});

  // A second run removes and re-adds the directory rather than listing it twice.
  EXPECT_TRUE(device_resources::InstallDeviceResources());
  EXPECT_EQ(catalog(L), QStringList{L + "\\types\\user\\ZEV\\"});
}

TEST_F(DeviceResources, ExistingUserFolderInCapitalsIsReused) {
  const QString L = env_.makeLonWorksTree();
  QDir(L + "/Types").removeRecursively();
  ASSERT_TRUE(QDir().mkpath(L + "/TYPES/USER/ZEV"));
  EXPECT_TRUE(device_resources::InstallDeviceResources());
  QStringList top = QDir(L).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  top.sort();
  EXPECT_EQ(top, (QStringList{"Import", "TYPES", "bin"}));
  EXPECT_EQ(QDir(L + "/TYPES").entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"USER"});
  EXPECT_TRUE(QFile::exists(L + "/TYPES/USER/ZEV/Zev.enu"));
}

TEST_F(DeviceResources, ObsoleteRlximDirectoryLeavesCatalogAndDisk) {
  const QString L = env_.makeLonWorksTree();
  const QString old = L + "/Types/User/Zev/Rlxim";
  ASSERT_TRUE(QDir().mkpath(old));
  QFile f(old + "/old.typ");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  QFile cat(L + "/Types/ldrf.cat");
  ASSERT_TRUE(cat.open(QIODevice::WriteOnly));
  cat.write(QString("LDRF-CATALOG 1\nC:\\Other\\\n" + L + "\\types\\User\\Zev\\Rlxim\\\n").toUtf8());
  cat.close();
  EXPECT_TRUE(device_resources::InstallDeviceResources());
  EXPECT_FALSE(QFile::exists(old));
  EXPECT_EQ(catalog(L), (QStringList{"C:\\Other\\", L + "\\types\\user\\ZEV\\"}));
}

TEST_F(DeviceResources, MissingExplicitXifGivesOneCopyErrorAndGoesOn) {
  const QString L = env_.makeLonWorksTree();
  QFile::remove(dataFolder_ + "/xif/Rlxtlc20.xif");
  EXPECT_TRUE(device_resources::InstallDeviceResources());
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  const auto& box = scriptedUi().boxes().front();
  EXPECT_EQ(box.text, "Unable to find file " + dataFolder_ + "\\xif\\Rlxtlc20.xif");
  EXPECT_EQ(box.title, "File Copy Error");
  EXPECT_EQ(scriptedUi().beeps(), 1);
  EXPECT_TRUE(QFile::exists(L + "/Import/Rlxtlc32.xif"));
  EXPECT_TRUE(QFile::exists(L + "/Types/User/Zev/Zev.typ"));
  EXPECT_EQ(catalog(L).size(), 1);
}

// "/regplugin" tells an installer by its exit code whether everything was
// installed and registered; the registration is written in every case.
TEST_F(DeviceResources, RegPlugInsExitCodeSaysWhetherEverythingWasInstalled) {
  struct Case {
    const char* what;
    std::function<void(const QString& lonWorks)> spoil;
    int exitCode;
  };
  const QList<Case> cases = {
      {"all in place", [](const QString&) {}, 0},
      {"an interface file missing", [this](const QString&) { QFile::remove(dataFolder_ + "/xif/Rlxtlc20.xif"); },
       startup::kExitNotRegistered},
      {"a resource file missing", [this](const QString&) { QFile::remove(dataFolder_ + "/Resource/Zev.fpt"); },
       startup::kExitNotRegistered},
      {"an unreadable catalog",
       [](const QString& lonWorks) {
         QFile cat(lonWorks + "/Types/ldrf.cat");
         ASSERT_TRUE(cat.open(QIODevice::WriteOnly));
         cat.write("not a catalog\n");
       },
       startup::kExitNotRegistered},
      {"no LonWorks tree",
       [](const QString&) {
         platform::Registry::deleteValue(platform::Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path");
       },
       startup::kExitNotRegistered},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fillDataFolder();
    const QString L = env_.makeLonWorksTree(QString::fromLatin1(c.what).replace(' ', '_'));
    c.spoil(L);
    EXPECT_EQ(startup::RunSwitch(startup::StartMode::RegPlugIn), c.exitCode);
    EXPECT_TRUE(platform::Registry::keyExists(platform::Hive::LocalMachine, registration::kPlugInKey));
    registration::DeregisterPlugIn(false);
  }
}

// A "LonWorks Path" a Windows installer left ("C:\LonWorks") or any other
// relative one: nothing is made under the current folder, the value and where
// it was read are named, and /regplugin ends with a failure.
TEST_F(DeviceResources, ALonWorksPathThatIsNotAbsoluteIsRefused) {
  const QString cwd = env_.scratch() + "/cwd";
  ASSERT_TRUE(QDir().mkpath(cwd));
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(cwd));
  for (const char* path : {"C:\\LonWorks", "LonWorks", "..\\LonWorks"}) {
    SCOPED_TRACE(path);
    scriptedUi().clear();
    ASSERT_TRUE(
        platform::Registry::setValue(platform::Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path", path));
    EXPECT_EQ(startup::RunSwitch(startup::StartMode::RegPlugIn), startup::kExitNotRegistered);
    ASSERT_FALSE(scriptedUi().boxes().isEmpty());
    const QString text = scriptedUi().boxes().front().text;
    EXPECT_TRUE(text.contains(QString("\"%1\"").arg(path))) << text.toStdString();
    EXPECT_TRUE(text.contains("HKEY_LOCAL_MACHINE\\SOFTWARE\\LonWorks")) << text.toStdString();
    EXPECT_TRUE(device_resources::LonWorksPath().isEmpty());
    EXPECT_TRUE(QDir(cwd).isEmpty())
        << QDir(cwd).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(", ").toStdString();
    EXPECT_TRUE(QDir(env_.scratch() + "/LonWorks").exists() == false);
    registration::DeregisterPlugIn(false);
  }
  QDir::setCurrent(previous);
}

TEST_F(DeviceResources, UnreadableCatalogReportsDeviceResourceError) {
  const QString L = env_.makeLonWorksTree();
  QFile cat(L + "/Types/ldrf.cat");
  ASSERT_TRUE(cat.open(QIODevice::WriteOnly));
  cat.write("not a catalog\n");
  cat.close();
  EXPECT_FALSE(device_resources::InstallDeviceResources());
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes().front().text, "Device Resource file error");
  EXPECT_EQ(scriptedUi().boxes().front().title, "Error");
  EXPECT_EQ(scriptedUi().beeps(), 1);
}

TEST_F(DeviceResources, NoLonWorksPathInstallsNothing) {
  EXPECT_FALSE(device_resources::InstallDeviceResources());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());
  device_resources::LoadObjectNames();
  EXPECT_EQ(MMain.InternalModemObjectName, "NoRegEntry");
  EXPECT_EQ(MMain.ExternalModem1ObjectName, "");
  EXPECT_EQ(MMain.ExternalModemBaseName, "");
}

TEST_F(DeviceResources, UnusualLonWorksPathsWork) {
  const QString L = env_.makeLonWorksTree("Lon Works 'q' \"dq\" ünïcode " + QString(120, u'x'));
  EXPECT_TRUE(device_resources::InstallDeviceResources());
  EXPECT_TRUE(scriptedUi().boxes().isEmpty()) << scriptedUi().boxTexts().join("|").toStdString();
  device_resources::LoadObjectNames();
  EXPECT_EQ(MMain.InternalModemObjectName, "Internal Modem");
}

TEST_F(DeviceResources, ObjectNamesComeFromTheLanguageFile) {
  env_.makeLonWorksTree();
  ASSERT_TRUE(device_resources::InstallDeviceResources());
  device_resources::LoadObjectNames();
  EXPECT_EQ(MMain.InternalModemObjectName, "Internal Modem");
  EXPECT_EQ(MMain.ExternalModem1ObjectName, "External Modem #1");
  EXPECT_EQ(MMain.ExternalModem2ObjectName, "External Modem #2");
  EXPECT_EQ(MMain.DirectoryObjectBaseName, "Directory");
  EXPECT_EQ(MMain.DeviceLevelObjectName, "Directory #1");
  EXPECT_EQ(MMain.ExternalModemBaseName, "External Modem");
}

TEST_F(DeviceResources, MissingOrDamagedLanguageFileLeavesNamesEmpty) {
  const QString L = env_.makeLonWorksTree();
  device_resources::LoadObjectNames();  // not installed yet: no file
  EXPECT_EQ(MMain.InternalModemObjectName, "");
  EXPECT_EQ(MMain.ExternalModemBaseName, "");
  ASSERT_TRUE(device_resources::InstallDeviceResources());
  const QString enu = L + "/Types/User/Zev/Zev.enu";
  const QByteArray good = readAll(enu);
  for (const QByteArray& bad : {good.left(good.size() / 2), QByteArray("\x7f\x45\x4c\x46garbage"), QByteArray()}) {
    QFile f(enu);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bad);
    f.close();
    MMain.InternalModemObjectName = "stale";
    device_resources::LoadObjectNames();
    EXPECT_EQ(MMain.InternalModemObjectName, "");
    EXPECT_EQ(MMain.DeviceLevelObjectName, "");
    EXPECT_EQ(MMain.ExternalModemBaseName, "");
  }
}

TEST_F(DeviceResources, ShortExternalModemNameHasNoBaseName) {
  const QString L = env_.makeLonWorksTree();
  QDir().mkpath(L + "/Types/User/Zev");
  QFile f(L + "/Types/User/Zev/Zev.enu");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("LDRF-LANGUAGE 1\n9=Int\n10=X1\nEND\n");
  f.close();
  device_resources::LoadObjectNames();
  EXPECT_EQ(MMain.InternalModemObjectName, "Int");
  EXPECT_EQ(MMain.ExternalModem1ObjectName, "X1");
  EXPECT_EQ(MMain.ExternalModemBaseName, "");
  EXPECT_EQ(MMain.ExternalModem2ObjectName, "");
}

}  // namespace
