#include "host/cregistry.h"

#include <gtest/gtest.h>

#include <QDir>

#include "platform/registry.h"
#include "tests/support/test_env.h"

using platform::Hive;
using platform::Registry;

namespace {

TEST(CRegistry, MachineSettingReadsOnlyNonEmptyStrings) {
  testing_support::TestEnv env;
  CRegistry reg;
  EXPECT_EQ(reg.MachineSetting("SOFTWARE\\LonWorks", "LonWorks Path"), "");
  reg.setMachineSetting("SOFTWARE\\LonWorks", "LonWorks Path", "/opt/LonWorks");
  EXPECT_EQ(reg.errorNumber(), 0);
  EXPECT_EQ(reg.MachineSetting("software\\lonworks", "LonWorks Path"), "/opt/LonWorks");
  Registry::setValue(Hive::LocalMachine, "SOFTWARE\\LonWorks", "Count", "0x5", platform::RegType::DWord);
  EXPECT_EQ(reg.MachineSetting("SOFTWARE\\LonWorks", "Count"), "");
  QString withNul = "abc";
  withNul += QChar(0);
  withNul += "def";
  reg.setMachineSetting("SOFTWARE\\LonWorks", "Nul", withNul);
  EXPECT_EQ(reg.MachineSetting("SOFTWARE\\LonWorks", "Nul"), "abc");
}

TEST(CRegistry, AppSettingLivesInThePerUserAppletsKey) {
  testing_support::TestEnv env;
  CRegistry reg;
  reg.setAppSetting("Window", "Left", "120");
  EXPECT_EQ(reg.AppSetting("Window", "Left"), "120");
  EXPECT_EQ(Registry::value(Hive::CurrentUser, "SOFTWARE\\LonWorks\\LCA\\Applets\\RLX_Plug\\Window", "Left")->data,
            "120");
  EXPECT_FALSE(Registry::keyExists(Hive::LocalMachine, "SOFTWARE\\LonWorks\\LCA\\Applets"));
  EXPECT_EQ(reg.AppSetting("Window", "Top"), "");
}

TEST(CRegistry, EnumerationAdvancesPastTheLastSubkey) {
  testing_support::TestEnv env;
  Registry::createKey(Hive::LocalMachine, "SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\Alpha");
  Registry::createKey(Hive::LocalMachine, "SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\beta");
  CRegistry reg;
  EXPECT_EQ(reg.FindFirstMachineKey("SOFTWARE\\LonWorks\\LCA\\Plug-Ins"), "Alpha");
  EXPECT_EQ(reg.GetNextMachineKey(), "beta");
  EXPECT_EQ(reg.GetNextMachineKey(), "");
  EXPECT_EQ(reg.GetNextMachineKey(), "");
  // A new subkey appearing at index 2 is not returned: the index has moved on.
  Registry::createKey(Hive::LocalMachine, "SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\gamma");
  EXPECT_EQ(reg.GetNextMachineKey(), "");
  EXPECT_EQ(reg.FindFirstMachineKey("SOFTWARE\\Missing"), "");
  EXPECT_EQ(reg.GetNextMachineKey(), "");
}

TEST(CRegistry, DeleteMachineKeyRemovesTheWholeTree) {
  testing_support::TestEnv env;
  Registry::setValue(Hive::LocalMachine, "SOFTWARE\\T\\A\\B", "v", "1");
  Registry::setValue(Hive::LocalMachine, "SOFTWARE\\T\\C", "v", "1");
  Registry::setValue(Hive::LocalMachine, "SOFTWARE\\T", "v", "1");
  CRegistry reg;
  EXPECT_TRUE(reg.DeleteMachineKey("SOFTWARE\\T"));
  EXPECT_FALSE(Registry::keyExists(Hive::LocalMachine, "SOFTWARE\\T"));
  EXPECT_TRUE(Registry::keyExists(Hive::LocalMachine, "SOFTWARE"));
  EXPECT_FALSE(reg.DeleteMachineKey("SOFTWARE\\T"));
}

TEST(CRegistry, UnwritableHiveSetsTheErrorNumberWithoutRaising) {
  testing_support::TestEnv env;
  QDir().mkpath(Registry::hiveFile(Hive::LocalMachine));  // a folder where the file should be
  QDir().mkpath(Registry::hiveFile(Hive::CurrentUser));
  CRegistry reg;
  reg.setMachineSetting("SOFTWARE\\LonWorks", "LonWorks Path", "/x");
  EXPECT_EQ(reg.errorNumber(), CRegistry::kWriteFailed);
  reg.clearError();
  reg.setAppSetting("S", "K", "v");
  EXPECT_EQ(reg.errorNumber(), static_cast<qint32>(0x80040201));
  EXPECT_EQ(reg.MachineSetting("SOFTWARE\\LonWorks", "LonWorks Path"), "");
  EXPECT_FALSE(reg.DeleteMachineKey("SOFTWARE\\LonWorks"));
}

}  // namespace
