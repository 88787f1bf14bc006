// The registry's hives cannot be used: a folder stands where a hive's file
// should be (file permissions would not stop a test running as root).
// Registration and the per-user settings report or pass over the failure as
// the plug-in's registration rules say, nothing crashes, and what a hive held
// before is still there once it can be used again.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include "host/cregistry.h"
#include "host/fregisterplugin.h"
#include "host/ldrf.h"
#include "host/mmain.h"
#include "host/registration.h"
#include "host/startup.h"
#include "lonworks/device_resources/ldrf_standin.h"
#include "platform/registry.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_env.h"

namespace {

using platform::Hive;
using platform::Registry;
using testing_support::scriptedUi;

const QString kPlugInKey = QStringLiteral("SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\RLX_Plug");

class RegistryFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ldrf::setFactory(&resources_);
    SetShutdownProcedure([this] { ++shutdowns_; });
  }
  void TearDown() override {
    SetShutdownProcedure(nullptr);
    ldrf::setFactory(nullptr);
  }
  // A folder where the hive's file should be.
  static void makeUnusable(Hive hive) { ASSERT_TRUE(QDir().mkpath(Registry::hiveFile(hive))); }
  static bool unusable(Hive hive) { return QFileInfo(Registry::hiveFile(hive)).isDir(); }
  static QStringList entry() {
    QStringList out;
    for (const platform::RegValue& v : Registry::values(Hive::LocalMachine, kPlugInKey))
      out << v.name + u'=' + v.data;
    return out;
  }
  static QStringList boxTitles() {
    QStringList out;
    for (const testing_support::RecordedBox& b : scriptedUi().boxes())
      out << b.title;
    return out;
  }

  testing_support::TestEnv env_;
  lonworks::LdrfStandInFactory resources_;
  int shutdowns_ = 0;
};

TEST_F(RegistryFaults, TheInstallationSwitchesPassOverAnUnusableMachineHive) {
  makeUnusable(Hive::LocalMachine);
  // Quietly, as the switches always are; the failed registration shows in the exit code.
  EXPECT_EQ(startup::RunSwitch(startup::StartMode::RegPlugIn), 1);
  EXPECT_EQ(startup::RunSwitch(startup::StartMode::DeregPlugIn), 0);
  // The hive is left as it was.
  EXPECT_TRUE(scriptedUi().boxes().isEmpty()) << scriptedUi().boxTexts().join(" | ").toStdString();
  EXPECT_TRUE(unusable(Hive::LocalMachine));
  EXPECT_FALSE(Registry::keyExists(Hive::LocalMachine, kPlugInKey));
}

TEST_F(RegistryFaults, TheRegistrationDialogReportsAsItsRulesSay) {
  makeUnusable(Hive::LocalMachine);
  fRegisterPlugIn dialog;
  dialog.show();
  // A registry that cannot be written is reported as a failed registration.
  dialog.bRegister->click();
  const QString failed = "Plug-in RLX_Plug could not be registered: the registry cannot be written.";
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{failed});
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);
  dialog.bDeregister->click();
  EXPECT_EQ(scriptedUi().boxTexts(),
            (QStringList{failed, "Plug-in RLX_Plug does not exisit in the Windows registery"}));
  EXPECT_EQ(boxTitles(), (QStringList{"RLX_Plug", "RLX_Plug"}));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(shutdowns_, 0);
  dialog.bExit->click();
  EXPECT_EQ(shutdowns_, 1);
}

TEST_F(RegistryFaults, AnUnusablePerUserHiveLeavesTheMachineEntryAlone) {
  registration::RegisterPlugIn(false);
  const QStringList registered = entry();
  ASSERT_EQ(registered.size(), 8);
  makeUnusable(Hive::CurrentUser);
  CRegistry reg;
  reg.setAppSetting(QStringLiteral("Phonebook"), QStringLiteral("Printer"), QStringLiteral("PDF"));
  EXPECT_EQ(reg.errorNumber(), static_cast<qint32>(0x80040201));
  EXPECT_EQ(reg.AppSetting(QStringLiteral("Phonebook"), QStringLiteral("Printer")), "");
  // The machine entry is read as before.
  registration::RegisterPlugIn(true);
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"This plug-in is already registered"});
  EXPECT_EQ(entry(), registered);
}

TEST_F(RegistryFaults, AMachineHiveUnusableForAWhileLosesNothing) {
  registration::RegisterPlugIn(false);
  const QStringList registered = entry();
  ASSERT_EQ(registered.size(), 8);
  const QString hive = Registry::hiveFile(Hive::LocalMachine);
  ASSERT_TRUE(QFile::rename(hive, hive + QStringLiteral(".away")));
  makeUnusable(Hive::LocalMachine);

  registration::DeregisterPlugIn(true);
  registration::RegisterPlugIn(true);
  EXPECT_EQ(scriptedUi().boxTexts(),
            (QStringList{"Plug-in RLX_Plug does not exisit in the Windows registery",
                         "Plug-in RLX_Plug could not be registered: the registry cannot be written."}));
  CRegistry reg;
  reg.setMachineSetting(kPlugInKey, QStringLiteral("Version"), QStringLiteral("9.99"));
  EXPECT_EQ(reg.errorNumber(), CRegistry::kWriteFailed);
  EXPECT_TRUE(unusable(Hive::LocalMachine));

  // The hive back as it was: the entry is whole, and stays so on disk when
  // the hive is written next.
  ASSERT_TRUE(QDir().rmdir(hive));
  ASSERT_TRUE(QFile::rename(hive + QStringLiteral(".away"), hive));
  EXPECT_EQ(entry(), registered);
  ASSERT_TRUE(Registry::setValue(Hive::LocalMachine, QStringLiteral("SOFTWARE\\Zev Products Inc"), QStringLiteral("v"),
                                 QStringLiteral("1")));
  EXPECT_EQ(entry(), registered);
  QFile disk(hive);
  ASSERT_TRUE(disk.open(QIODevice::ReadOnly));
  EXPECT_TRUE(disk.readAll().contains("RLX_Plug.LNSPlugInAPI"));
  scriptedUi().clear();
  registration::RegisterPlugIn(true);
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"This plug-in is already registered"});
}

}  // namespace
