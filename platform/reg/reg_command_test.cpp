#include "platform/reg/reg_command.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "rlx_build_info.h"
#include "tests/support/test_env.h"

namespace {

struct RegRun {
  int rc;
  QString out;
  QString err;
};

RegRun reg(const QStringList& args, const QString& input = QString()) {
  QString out, err, in = input;
  QTextStream o(&out), e(&err), i(&in);
  const int rc = platform::runRegCommand(args, {o, e, i});
  return {rc, out, err};
}

TEST(RegTool, AddQueryWithDefaultValueAndOrder) {
  testing_support::TestEnv env;
  const QString key = "HKLM\\SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\RLX_Plug";
  EXPECT_EQ(reg({"add", key, "/ve", "/d", "RLX_Plug.LNSPlugInAPI", "/f"}).rc, 0);
  const RegRun added = reg({"add", key, "/v", "Scope", "/d", " 2", "/f"});
  EXPECT_EQ(added.rc, 0);
  EXPECT_EQ(added.out, "The operation completed successfully.\n");
  const RegRun q = reg({"query", key});
  EXPECT_EQ(q.rc, 0);
  EXPECT_EQ(q.out,
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\LonWorks\\LCA\\Plug-Ins\\RLX_Plug\n"
            "    (Default)    REG_SZ    RLX_Plug.LNSPlugInAPI\n"
            "    Scope    REG_SZ     2\n\n");
  const RegRun one = reg({"query", "hkey_local_machine\\software\\lonworks\\lca\\plug-ins\\rlx_plug", "/v", "scope"});
  EXPECT_EQ(one.rc, 0);
  EXPECT_TRUE(one.out.contains("    Scope    REG_SZ     2\n"));
  const RegRun def = reg({"query", key, "/ve"});
  EXPECT_TRUE(def.out.contains("    (Default)    REG_SZ    RLX_Plug.LNSPlugInAPI\n"));
}

TEST(RegTool, QueryListsSubkeysAfterValues) {
  testing_support::TestEnv env;
  reg({"add", "HKCU\\A\\B", "/v", "x", "/d", "1", "/f"});
  reg({"add", "HKCU\\A\\C", "/f"});
  const RegRun q = reg({"query", "HKCU\\A"});
  EXPECT_EQ(q.out, "\nHKEY_CURRENT_USER\\A\n\nHKEY_CURRENT_USER\\A\\B\nHKEY_CURRENT_USER\\A\\C\n");
}

TEST(RegTool, MissingKeyOrValueIsAnError) {
  testing_support::TestEnv env;
  const RegRun q = reg({"query", "HKLM\\SOFTWARE\\Nothing"});
  EXPECT_EQ(q.rc, 1);
  EXPECT_EQ(q.err, "ERROR: The system was unable to find the specified registry key or value.\n");
  reg({"add", "HKLM\\SOFTWARE\\Some", "/v", "a", "/d", "1", "/f"});
  EXPECT_EQ(reg({"query", "HKLM\\SOFTWARE\\Some", "/v", "b"}).rc, 1);
  EXPECT_EQ(reg({"delete", "HKLM\\SOFTWARE\\Some", "/v", "b", "/f"}).rc, 1);
  EXPECT_EQ(reg({"delete", "HKLM\\SOFTWARE\\Other", "/f"}).rc, 1);
}

TEST(RegTool, DeleteValueAndKeyWithAndWithoutConfirmation) {
  testing_support::TestEnv env;
  reg({"add", "HKLM\\K\\Sub", "/v", "a", "/d", "1", "/f"});
  reg({"add", "HKLM\\K\\Sub", "/v", "b", "/d", "2", "/f"});
  EXPECT_EQ(reg({"delete", "HKLM\\K\\Sub", "/v", "a", "/f"}).rc, 0);
  EXPECT_FALSE(platform::Registry::value(platform::Hive::LocalMachine, "K\\Sub", "a").has_value());
  const RegRun declined = reg({"delete", "HKLM\\K"}, "no\n");
  EXPECT_EQ(declined.rc, 0);
  EXPECT_TRUE(platform::Registry::keyExists(platform::Hive::LocalMachine, "K\\Sub"));
  EXPECT_EQ(reg({"delete", "HKLM\\K"}, "yes\n").rc, 0);
  EXPECT_FALSE(platform::Registry::keyExists(platform::Hive::LocalMachine, "K"));
}

TEST(RegTool, BadSyntax) {
  testing_support::TestEnv env;
  EXPECT_EQ(reg({}).rc, 1);
  EXPECT_EQ(reg({"frobnicate", "HKLM\\A"}).rc, 1);
  EXPECT_EQ(reg({"query"}).rc, 1);
  EXPECT_EQ(reg({"query", "HKXX\\A"}).rc, 1);
  EXPECT_EQ(reg({"add", "HKLM\\A", "/v"}).rc, 1);
  EXPECT_EQ(reg({"add", "HKLM\\A", "/v", "a", "/ve", "/d", "x"}).rc, 1);
  EXPECT_EQ(reg({"add", "HKLM\\A", "/v", "a", "/t", "REG_NONSENSE", "/d", "x", "/f"}).rc, 1);
  EXPECT_EQ(reg({"add", "HKLM\\A", "/v", "a", "/t", "REG_DWORD", "/d", "pizza", "/f"}).rc, 1);
  EXPECT_TRUE(reg({"query", "HKLM\\A", "/zz"}).err.startsWith("ERROR: Invalid syntax."));
}

TEST(RegTool, HelpSwitchesPrintTheUsageAndSucceed) {
  testing_support::TestEnv env;
  struct Case {
    QStringList args;
    const char* usage;  // the first line printed
  };
  for (const Case& c : {Case{{"/?"}, "Usage: rlx-reg OPERATION [PARAMETERS]"},
                        Case{{"--help"}, "Usage: rlx-reg OPERATION [PARAMETERS]"},
                        Case{{"-h", "query"}, "Usage: rlx-reg OPERATION [PARAMETERS]"},
                        Case{{"QUERY", "/?"}, "Usage: rlx-reg query KEY [/v NAME | /ve]"},
                        Case{{"add", "--help"}, "Usage: rlx-reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]"},
                        Case{{"delete", "-?"}, "Usage: rlx-reg delete KEY [/v NAME | /ve | /va] [/f]"}}) {
    const RegRun r = reg(c.args);
    EXPECT_EQ(r.rc, 0) << c.args.join(' ').toStdString();
    EXPECT_EQ(r.out.section('\n', 0, 0), c.usage) << c.args.join(' ').toStdString();
    EXPECT_EQ(r.err, "");
  }
  const RegRun version = reg({"--version"});
  EXPECT_EQ(version.rc, 0);
  EXPECT_EQ(version.out, "rlx-reg " RLX_PROJECT_VERSION "\n");
  // Data that reads like a switch is data.
  EXPECT_EQ(reg({"add", "HKLM\\A", "/v", "x", "/d", "-h", "/f"}).rc, 0);
  const auto written = platform::Registry::value(platform::Hive::LocalMachine, "A", "x");
  ASSERT_TRUE(written);
  EXPECT_EQ(written->data, "-h");
  // A wrong command line names the way to the usage.
  EXPECT_EQ(reg({}).err, "ERROR: Invalid syntax.\nType \"rlx-reg /?\" for usage.\n");
  EXPECT_EQ(reg({"Add", "HKLM\\A", "/zz"}).err, "ERROR: Invalid syntax.\nType \"rlx-reg add /?\" for usage.\n");
}

TEST(RegTool, DwordValues) {
  testing_support::TestEnv env;
  EXPECT_EQ(reg({"add", "HKLM\\A", "/v", "n", "/t", "REG_DWORD", "/d", "16", "/f"}).rc, 0);
  EXPECT_TRUE(reg({"query", "HKLM\\A", "/v", "n"}).out.contains("    n    REG_DWORD    0x10\n"));
}

}  // namespace
