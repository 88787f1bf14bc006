#include "host/registration.h"

#include <gtest/gtest.h>

#include <climits>

#include <QDir>

#include "platform/registry.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_env.h"

using platform::Hive;
using platform::Registry;
using testing_support::scriptedUi;

namespace {

const QString kKey = "SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\RLX_Plug";

TEST(Version, ParsesMajorAndTwoDigitMinor) {
  using registration::ParseVersion;
  EXPECT_EQ(ParseVersion("2.10b"), std::make_pair(2, 10));
  EXPECT_EQ(ParseVersion("2.1"), std::make_pair(2, 10));
  EXPECT_EQ(ParseVersion("2.09"), std::make_pair(2, 9));
  EXPECT_EQ(ParseVersion("2.2"), std::make_pair(2, 20));
  EXPECT_EQ(ParseVersion("3.5.7 beta"), std::make_pair(3, 50));
  EXPECT_EQ(ParseVersion("2.1 x"), std::make_pair(2, 10));
  EXPECT_EQ(ParseVersion("2"), std::make_pair(2, 0));
  EXPECT_EQ(ParseVersion("garbage"), std::make_pair(0, 0));
  EXPECT_EQ(ParseVersion(""), std::make_pair(0, 0));
  // Numbers too large for an int read as the largest one, never as negative.
  EXPECT_EQ(ParseVersion("3000000000.99999999999"), std::make_pair(INT_MAX, INT_MAX));
  EXPECT_EQ(ParseVersion("99999999999999999999.9"), ParseVersion("99999999999999999999.9"));
}

TEST(RegisterPlugIn, WritesTheEightValuesInOrder) {
  testing_support::TestEnv env;
  registration::SetProgramFolder(env.scratch() + "/bin/");
  registration::RegisterPlugIn(true);
  registration::SetProgramFolder(QString());
  const auto values = Registry::values(Hive::LocalMachine, kKey);
  QStringList names, data;
  for (const auto& v : values) {
    names << v.name;
    data << v.data;
  }
  EXPECT_EQ(names,
            (QStringList{"", "Name", "Description", "Scope", "ManufacturerName", "Version", "LcaVersion", "DirPath"}));
  EXPECT_EQ(data, (QStringList{"RLX_Plug.LNSPlugInAPI", "RLX_Plug", "RLX_Plug UTILITY", " 2", "Zev Prodcucts Inc",
                               "2.10b", "1.5", env.scratch() + "/bin"}));
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  const auto& box = scriptedUi().boxes().front();
  EXPECT_EQ(box.text, "Plug-in registered as RLX_Plug.LNSPlugInAPI");
  EXPECT_EQ(box.title, "RLX_Plug");
  EXPECT_EQ(box.buttons, platform::MsgButtons::Ok);
  EXPECT_EQ(box.icon, platform::MsgIcon::Information);
}

TEST(RegisterPlugIn, SameOrNewerVersionIsKept) {
  testing_support::TestEnv env;
  Registry::setValue(Hive::LocalMachine, kKey, "", "RLX_Plug.LNSPlugInAPI");
  Registry::setValue(Hive::LocalMachine, kKey, "Version", "2.10");
  registration::RegisterPlugIn(true);
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"This plug-in is already registered"});
  EXPECT_EQ(Registry::values(Hive::LocalMachine, kKey).size(), 2);

  Registry::setValue(Hive::LocalMachine, kKey, "Version", "2.2");
  registration::RegisterPlugIn(true);
  EXPECT_EQ(scriptedUi().boxTexts().last(), "A newer version of this plug-in is already registered");
  EXPECT_EQ(Registry::value(Hive::LocalMachine, kKey, "Version")->data, "2.2");
}

TEST(RegisterPlugIn, OlderOrUnparsableVersionIsUpdated) {
  testing_support::TestEnv env;
  Registry::setValue(Hive::LocalMachine, kKey, "", "RLX_Plug.LNSPlugInAPI");
  Registry::setValue(Hive::LocalMachine, kKey, "Version", "2.09");
  registration::RegisterPlugIn(true);
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Updated version of plug-in registered as RLX_Plug.LNSPlugInAPI"});
  EXPECT_EQ(Registry::value(Hive::LocalMachine, kKey, "Version")->data, "2.10b");
  EXPECT_EQ(Registry::values(Hive::LocalMachine, kKey).size(), 8);

  Registry::setValue(Hive::LocalMachine, kKey, "Version", "beta");
  registration::RegisterPlugIn(false);
  EXPECT_EQ(Registry::value(Hive::LocalMachine, kKey, "Version")->data, "2.10b");
  EXPECT_EQ(scriptedUi().boxes().size(), 1);  // quiet
}

TEST(RegisterPlugIn, EmptyDefaultValueMeansNotRegistered) {
  testing_support::TestEnv env;
  Registry::setValue(Hive::LocalMachine, kKey, "Version", "9.99");
  registration::RegisterPlugIn(true);
  EXPECT_EQ(scriptedUi().boxTexts(), QStringList{"Plug-in registered as RLX_Plug.LNSPlugInAPI"});
  EXPECT_EQ(Registry::value(Hive::LocalMachine, kKey, "Version")->data, "2.10b");
}

TEST(DeregisterPlugIn, TwiceReportsThatTheEntryIsGone) {
  testing_support::TestEnv env;
  registration::RegisterPlugIn(false);
  registration::DeregisterPlugIn(true);
  registration::DeregisterPlugIn(true);
  EXPECT_EQ(scriptedUi().boxTexts(), (QStringList{"Plug-in RLX_Plug deregistered",
                                                  "Plug-in RLX_Plug does not exisit in the Windows registery"}));
  EXPECT_FALSE(Registry::keyExists(Hive::LocalMachine, kKey));
  EXPECT_TRUE(Registry::keyExists(Hive::LocalMachine, "SOFTWARE\\LonWorks\\LCA\\Plug-Ins"));
}

TEST(RegisterPlugIn, AnUnwritableRegistryIsReportedAsAFailure) {
  testing_support::TestEnv env;
  QDir().mkpath(Registry::hiveFile(Hive::LocalMachine));
  EXPECT_FALSE(registration::RegisterPlugIn(true));
  ASSERT_EQ(scriptedUi().boxes().size(), 1);
  EXPECT_EQ(scriptedUi().boxes().front().text,
            "Plug-in RLX_Plug could not be registered: the registry cannot be written.");
  EXPECT_EQ(scriptedUi().boxes().front().title, "RLX_Plug");
  EXPECT_EQ(scriptedUi().boxes().front().icon, platform::MsgIcon::Critical);
  scriptedUi().clear();
  EXPECT_FALSE(registration::RegisterPlugIn(false));
  EXPECT_TRUE(scriptedUi().boxes().isEmpty());  // quiet: the exit code tells the installer
}

}  // namespace
