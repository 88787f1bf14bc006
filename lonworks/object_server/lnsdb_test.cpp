#include <gtest/gtest.h>

#include "lonworks/object_server/lnsdb_cli.h"
#include "lonworks/object_server/test_network.h"
#include "rlx_build_info.h"

namespace lnsdb {
namespace {

struct Outcome {
  int code;
  QString out, err;
};

Outcome lnsdb(const QStringList& args) {
  QString out, err;
  QTextStream o(&out), e(&err);
  const int code = allCommands().run(args, o, e);
  o.flush();
  e.flush();
  return {code, out, err};
}

TEST(Lnsdb, BadCommandLinesExitWithTwoAndSayWhy) {
  lnssim::testing::LonWorksTree tree;
  EXPECT_EQ(lnsdb({}).code, kExitUsage);
  Outcome r = lnsdb({"frobnicate"});
  EXPECT_EQ(r.code, kExitUsage);
  EXPECT_TRUE(r.err.contains("unknown command \"frobnicate\"")) << r.err.toStdString();
  r = lnsdb({"add-device", "Routers"});
  EXPECT_EQ(r.code, kExitUsage);
  EXPECT_TRUE(r.err.contains("too few arguments")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("Usage: rlx-lnsdb add-device")) << r.err.toStdString();
  EXPECT_EQ(lnsdb({"add-device", "Routers", "X", "--family", "purple"}).code, kExitUsage);
  EXPECT_EQ(lnsdb({"list", "networks", "--colour"}).code, kExitUsage);
  EXPECT_EQ(lnsdb({"list", "objects"}).code, kExitUsage);
  EXPECT_EQ(lnsdb({"set-mode", "sideways"}).code, kExitUsage);
  EXPECT_EQ(lnsdb({"--database"}).code, kExitUsage);
  r = lnsdb({"--help"});
  EXPECT_EQ(r.code, kExitOk);
  for (const Command& c : allCommands().commands())
    EXPECT_TRUE(r.out.contains("\n  " + c.name)) << c.name.toStdString();
  EXPECT_TRUE(lnsdb({"help", "set-record"}).out.contains("DEVICEPATH NAME F1 F2 F3"));
  r = lnsdb({"--database", "elsewhere.db", "--version"});
  EXPECT_EQ(r.code, kExitOk);
  EXPECT_EQ(r.out, "rlx-lnsdb " RLX_PROJECT_VERSION "\n");
  EXPECT_TRUE(lnsdb({"get-cp", "--help"}).out.startsWith("Usage: rlx-lnsdb get-cp"));
  // Reading a database that is not there fails and creates nothing.
  r = lnsdb({"list", "networks"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_TRUE(r.err.contains("does not exist")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(tree.databasePath()));
}

TEST(Lnsdb, BuildsAndChangesANetwork) {
  lnssim::testing::LonWorksTree tree;
  ASSERT_EQ(lnsdb({"create-network", "Plant", "--subsystem", "North", "--subsystem", "South"}).code, kExitOk);
  EXPECT_EQ(lnsdb({"create-network", "Plant"}).code, kExitFailed);
  EXPECT_EQ(lnsdb({"list", "subsystems"}).out, "North\nSouth\n");
  ASSERT_EQ(
      lnsdb({"add-device", "North", "R1", "--family", "lonmark", "--neuron-id", "00112233aabb", "--handle", "7"}).code,
      kExitOk);
  ASSERT_EQ(lnsdb({"add-device", "South", "E1", "--family=explicit"}).code, kExitOk);
  Outcome r = lnsdb({"add-device", "North", "R2", "--family", "lonmark", "--handle", "7"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_TRUE(r.err.contains("handle 7")) << r.err.toStdString();
  EXPECT_EQ(lnsdb({"list", "devices"}).out,
            "North/R1\t7\t800060325B080932\t00112233AABB\nSouth/E1\t8\t524C580000000000\t050100000008\n");

  EXPECT_EQ(lnsdb({"get-nv", "North/R1", "nvoProductName"}).out, "RLX-LonMark 3.20\n");
  ASSERT_EQ(lnsdb({"set-nv", "North/R1/External Modem #1", "nviDialStr2", "5551234"}).code, kExitOk);
  EXPECT_EQ(lnsdb({"get-nv", "North/R1/External Modem #1", "nviDialStr2"}).out, "5551234\n");
  EXPECT_EQ(lnsdb({"get-nv", "North/R1/Internal Modem", "nviDialStr2"}).code, kExitFailed);
  ASSERT_EQ(lnsdb({"set-cp", "North/R1/Directory #2", "UCPT_DialString", "--element", "3", "9,555"}).code, kExitOk);
  EXPECT_EQ(lnsdb({"get-cp", "North/R1/Directory #2", "UCPT_DialString", "--element", "3"}).out, "9,555\n");
  EXPECT_EQ(lnsdb({"get-cp", "North/R1/Directory #2", "UCPT_DialString", "--element", "16"}).code, kExitFailed);
  ASSERT_EQ(lnsdb({"set-cp", "North/R1/Device Globals", "UCPT_RingMode", "Enable,3,2000,10000"}).code, kExitOk);
  EXPECT_EQ(lnsdb({"get-cp", "North/R1/Device Globals", "UCPT_RingMode"}).out, "Enable,3,2000,10000\n");
  EXPECT_EQ(lnsdb({"get-cp", "North/R1", "UCPT_RingMode"}).code, kExitUsage);

  ASSERT_EQ(lnsdb({"set-record", "South/E1", "ZevExplicitAutoAnswer", "1", "0", "1"}).code, kExitOk);
  ASSERT_EQ(lnsdb({"set-record", "South/E1", "ZevExplicitPhonebook0", "5551234", "Head office", ""}).code, kExitOk);
  ASSERT_EQ(lnsdb({"set-record", "South/E1", "ZevExplicitAutoAnswer", "0", "0", "1"}).code, kExitOk);
  EXPECT_EQ(lnsdb({"records", "South/E1"}).out,
            "ZevExplicitAutoAnswer\t0\t0\t1\nZevExplicitPhonebook0\t5551234\tHead office\t\n");
  EXPECT_EQ(lnsdb({"list", "records", "South/E1"}).out, lnsdb({"records", "South/E1"}).out);
  EXPECT_EQ(lnsdb({"records", "South/Nobody"}).code, kExitFailed);
  EXPECT_EQ(lnsdb({"records", "South"}).code, kExitUsage);

  ASSERT_EQ(lnsdb({"set-mode", "off-net"}).code, kExitOk);
  r = lnsdb({"get-nv", "North/R1", "nvoProductName"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_TRUE(r.err.contains("off-net")) << r.err.toStdString();
  EXPECT_TRUE(lnsdb({"show", "North/R1"}).out.contains("NV nvoProductName = <off-net>"));
  ASSERT_EQ(lnsdb({"set-mode", "on-net"}).code, kExitOk);
  EXPECT_TRUE(lnsdb({"show", "North/R1"}).out.contains("NV nviDialStr2 = 5551234"));

  ASSERT_EQ(lnsdb({"add-interface", "LON1"}).code, kExitOk);
  EXPECT_EQ(lnsdb({"list", "interfaces"}).out, "LON1\n");
  EXPECT_EQ(lnsdb({"list", "templates"}).out, "Rlxtlc32\t800060325B080932\nrlxtlc20\t524C580000000000\n");

  // With two networks, one must be named (unless one is "Demo").
  ASSERT_EQ(lnsdb({"create-network", "Second"}).code, kExitOk);
  EXPECT_EQ(lnsdb({"list", "devices"}).code, kExitUsage);
  EXPECT_EQ(lnsdb({"list", "devices", "--network", "Second"}).out, "");
  ASSERT_EQ(lnsdb({"demo"}).code, kExitOk);
  EXPECT_EQ(lnsdb({"list", "devices"}).out.count('\n'), 6);  // the two demo devices and four more in their ring
}

TEST(Lnsdb, DemoIsIdempotentAndAnotherDatabaseCanBeNamed) {
  lnssim::testing::LonWorksTree tree;
  Outcome first = lnsdb({"demo"});
  ASSERT_EQ(first.code, kExitOk) << first.err.toStdString();
  EXPECT_TRUE(first.out.contains("device Routers/RLX-LonMark created"));
  Outcome second = lnsdb({"demo"});
  EXPECT_EQ(second.code, kExitOk);
  EXPECT_TRUE(second.out.contains("nothing was changed"));
  EXPECT_EQ(lnsdb({"list", "objects", "Routers/RLX-Explicit"}).out, "0\tNode Object\tNode Object\n");
  EXPECT_EQ(lnsdb({"list", "objects", "Routers/RLX-LonMark"}).out.count('\n'), 7);

  {
    lnssim::SimObjectServer server;
    server.Open();
    const lnssim::OpenedSystem sys = lnssim::openFirstSystem(server, "Demo");
    auto tpl = sys.system->DeviceTemplates()->ItemByName("Rlxtlc32");
    auto app = tpl->Interface()
                   ->LonMarkObjects()
                   ->Item("Internal Modem")
                   ->ComponentApps()
                   ->Add("RLX_Plug", "RLX_Plug.LNSPlugInAPI", 28);
    app->SetCommandCode(13);
    app->SetCommandText("Configure Internal Modem");
    server.componentApps()->Add("Tool", "Tool.Api", 7)->SetDefaultAction(true);
  }
  EXPECT_EQ(lnsdb({"list", "apps"}).out,
            "1\tObject Server\tTool\tTool.Api\t7\t0\t\t\t\tdefault\n"
            "4\tRlxtlc32/Internal Modem\tRLX_Plug\tRLX_Plug.LNSPlugInAPI\t28\t13\tConfigure Internal Modem\t\t\t\n");

  const QString other = tree.env.scratch() + "/other.db";
  ASSERT_EQ(lnsdb({"create-network", "Elsewhere", "--database", other}).code, kExitOk);
  EXPECT_EQ(lnsdb({"--database", other, "list", "networks"}).out, "Elsewhere\n");
  EXPECT_EQ(lnsdb({"list", "networks"}).out, "Demo\n");
}

// A device model plugged into lnsdb answers its reads and writes.
class MuteRuntime : public lnssim::StoredValueRuntime {
 public:
  QString readNv(lnssim::RuntimeContext&, const lnssim::PointAccess& nv) override {
    throw lns::LnsError(lns::kErrDeviceNoResponse, nv.device.name + QStringLiteral(" does not answer"));
  }
};

TEST(Lnsdb, TalksToDevicesThroughThePluggedInRuntime) {
  lnssim::testing::LonWorksTree tree;
  ASSERT_EQ(lnsdb({"demo"}).code, kExitOk);
  setRuntimeFactory([] { return std::make_shared<MuteRuntime>(); });
  const Outcome r = lnsdb({"get-nv", "Routers/RLX-LonMark", "nvoProductName"});
  setRuntimeFactory(nullptr);
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_TRUE(r.err.contains("RLX-LonMark does not answer (error 4030)")) << r.err.toStdString();
  EXPECT_EQ(lnsdb({"get-nv", "Routers/RLX-LonMark", "nvoProductName"}).code, kExitOk);
}

}  // namespace
}  // namespace lnsdb
