#include "lonworks/director/director_cli.h"

#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

using namespace director;

namespace {

TEST(DirectorCommandLine, OptionsThenActionsInOrder) {
  const ParseResult r = ParseCommandLine({"--network", "Demo", "-i", "NI-1", "--show", "--hold", "get", "Version",
                                          "set", "Height", "400", "register", "send", "14", "7", "a/b", "hide"});
  ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
  const Plan& p = r.plan;
  EXPECT_TRUE(p.setNetwork);
  EXPECT_EQ(p.network, "Demo");
  EXPECT_TRUE(p.setInterface);
  EXPECT_EQ(p.interfaceName, "NI-1");
  EXPECT_TRUE(p.show);
  EXPECT_TRUE(p.hold);
  EXPECT_FALSE(p.keepGoing);
  ASSERT_EQ(p.actions.size(), 5);
  EXPECT_EQ(p.actions[0].kind, Action::Kind::Get);
  EXPECT_EQ(p.actions[0].name, "Version");
  EXPECT_EQ(p.actions[1].kind, Action::Kind::Set);
  EXPECT_EQ(p.actions[1].value, "400");
  EXPECT_EQ(p.actions[2].command, 50);
  EXPECT_EQ(p.actions[3].kind, Action::Kind::Send);
  EXPECT_EQ(p.actions[3].command, 14);
  EXPECT_EQ(p.actions[3].objectType, 7);
  EXPECT_EQ(p.actions[3].name, "a/b");
  EXPECT_EQ(p.actions[4].kind, Action::Kind::Hide);

  // An empty network name is a value like any other; "=" forms work too.
  const ParseResult eq = ParseCommandLine({"--network=", "--interface=NI 2", "get", "Name"});
  EXPECT_TRUE(eq.plan.setNetwork);
  EXPECT_EQ(eq.plan.network, "");
  EXPECT_EQ(eq.plan.interfaceName, "NI 2");
}

TEST(DirectorCommandLine, ConfigureTakesTheRestOfTheLineAsThePath) {
  ParseResult r = ParseCommandLine({"--network", "Demo", "configure", "Routers/RLX-LonMark/Internal", "Modem"});
  ASSERT_EQ(r.plan.actions.size(), 1);
  EXPECT_EQ(r.plan.actions[0].command, 13);
  EXPECT_EQ(r.plan.actions[0].name, "Routers/RLX-LonMark/Internal Modem");
  EXPECT_EQ(r.plan.actions[0].objectType, 28);

  r = ParseCommandLine({"configure", "Routers/RLX-LonMark"});
  EXPECT_EQ(r.plan.actions[0].objectType, 7);
  r = ParseCommandLine({"configure", "--device", "Site/Routers/RLX-LonMark"});
  EXPECT_EQ(r.plan.actions[0].objectType, 7);
  EXPECT_EQ(r.plan.actions[0].name, "Site/Routers/RLX-LonMark");
  r = ParseCommandLine({"get", "Name", "configure", "--object", "X/Y"});
  EXPECT_EQ(r.plan.actions[1].objectType, 28);
  r = ParseCommandLine({"configure", "get", "Name"});  // words after configure are the path
  EXPECT_EQ(r.plan.actions.size(), 1);
  EXPECT_EQ(r.plan.actions[0].name, "get Name");
}

TEST(DirectorCommandLine, MistakesAreReported) {
  for (const QStringList& args : QList<QStringList>{{},
                                                    {"--network"},
                                                    {"--frobnicate"},
                                                    {"dance"},
                                                    {"get"},
                                                    {"set", "Height"},
                                                    {"send", "13", "7"},
                                                    {"send", "x", "7", "n"},
                                                    {"send", "13", "70000", "n"},
                                                    {"send", "99999999999", "7", "n"},
                                                    {"configure"},
                                                    {"configure", "--device"}}) {
    const ParseResult r = ParseCommandLine(args);
    EXPECT_FALSE(r.error.isEmpty()) << args.join(' ').toStdString();
  }
  EXPECT_TRUE(ParseCommandLine({"--help", "nonsense"}).help);
  EXPECT_TRUE(ParseCommandLine({"-s", "--frobnicate", "--version"}).version);
  // After the first action every word is the actions': an option there is none.
  EXPECT_FALSE(ParseCommandLine({"get", "Name", "--help"}).help);
  EXPECT_TRUE(UsageText().contains("lns-director --network Demo configure Routers/RLX-LonMark/Internal Modem"));
}

TEST(DirectorValues, ConvertedToThePropertyType) {
  QVariant v;
  QString problem;
  ASSERT_TRUE(ConvertValue("TRUE", "b", &v, &problem));
  EXPECT_EQ(v.metaType().id(), QMetaType::Bool);
  EXPECT_TRUE(v.toBool());
  ASSERT_TRUE(ConvertValue("-1", "b", &v, &problem));  // the automation True
  EXPECT_TRUE(v.toBool());
  ASSERT_TRUE(ConvertValue("no", "b", &v, &problem));
  EXPECT_FALSE(v.toBool());
  EXPECT_FALSE(ConvertValue("maybe", "b", &v, &problem));
  EXPECT_FALSE(problem.isEmpty());

  ASSERT_TRUE(ConvertValue(" -2147483648", "i", &v, &problem));
  EXPECT_EQ(v.metaType().id(), QMetaType::Int);
  EXPECT_EQ(v.toInt(), -2147483648);
  EXPECT_FALSE(ConvertValue("2147483648", "i", &v, &problem));
  EXPECT_FALSE(ConvertValue("12px", "i", &v, &problem));
  ASSERT_TRUE(ConvertValue("-32768", "n", &v, &problem));
  EXPECT_EQ(v.metaType().id(), QMetaType::Short);
  EXPECT_FALSE(ConvertValue("32768", "n", &v, &problem));

  ASSERT_TRUE(ConvertValue(" spaced ", "s", &v, &problem));
  EXPECT_EQ(v.toString(), " spaced ");

  EXPECT_EQ(FormatValue(true), "true");
  EXPECT_EQ(FormatValue(qint32(-3)), "-3");
  EXPECT_EQ(FormatValue(QStringLiteral("2.10b")), "2.10b");
}

TEST(DirectorErrors, AutomationErrorsShowNumberSourceAndDescription) {
  EXPECT_EQ(FormatError("RLX_Plug.Error.E20005", "Object not found"),
            "Error 20005 (source RLX_Plug): Object not found");
  EXPECT_EQ(FormatError("RLX_Plug.Error.E_5", "odd"), "Error -5 (source RLX_Plug): odd");
  EXPECT_EQ(FormatError("LcaObjectServer.Error.E12", "The Object Server is not available"),
            "Error 12 (source LcaObjectServer): The Object Server is not available");
  EXPECT_TRUE(IsAutomationError("LcaObjectServer.Error.E_3"));
  EXPECT_FALSE(IsAutomationError("RLX_Plug.Error.Exyz"));
  EXPECT_TRUE(IsAutomationError("RLX_Plug.Error.E20002"));
  EXPECT_FALSE(IsAutomationError("org.freedesktop.DBus.Error.AccessDenied"));
  EXPECT_EQ(FormatError("org.freedesktop.DBus.Error.AccessDenied", "not yours"),
            "D-Bus error org.freedesktop.DBus.Error.AccessDenied: not yours");
}

}  // namespace
