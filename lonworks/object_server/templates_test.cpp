#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "lonworks/object_server/test_network.h"
#include "lonworks/object_server/xif.h"

namespace lnssim {
namespace {

using testing::DemoNetwork;
using testing::errorOf;
using testing::LonWorksTree;

QByteArray header(const char* idLine = "80:00:60:32:5B:08:09:32") {
  return QByteArray("File: t.xif\nCopyright\nAll Rights Reserved.\n\n") + idLine + "\n2 15 1\n\"&3.3@0;test\n*\n";
}

QString importFailure(const QByteArray& text) {
  return errorOf([&] { parseXif(text, QStringLiteral("t.xif")); }, lns::kErrImport);
}

TEST(Xif, ReadsBothFamiliesFiles) {
  const QString dir = testing_support::TestEnv::sourceDir() + QStringLiteral("/resources/xif/");
  const XifInterface lonMark = readXifFile(dir + QStringLiteral("Rlxtlc32.xif"));
  EXPECT_EQ(lonMark.programId, QStringLiteral("800060325B080932"));
  ASSERT_EQ(lonMark.objects.size(), 7);
  EXPECT_EQ(lonMark.objects[6].name, QStringLiteral("Device Globals"));
  EXPECT_EQ(lonMark.objects[1].profile, 20001);
  EXPECT_EQ(lonMark.variables.size(), 13);
  EXPECT_TRUE(lonMark.variables[1].input);
  EXPECT_EQ(lonMark.variables[12].name, QStringLiteral("nvoCnctStrEx2"));
  EXPECT_EQ(lonMark.variables[12].objectIndex, 3);
  ASSERT_EQ(lonMark.properties.size(), 12);
  EXPECT_EQ(lonMark.properties[9].elementCount, 16);
  EXPECT_EQ(lonMark.properties[11].defaultValue, QStringLiteral("Disable,0,2000,10000"));

  const XifInterface explicitFamily = readXifFile(dir + QStringLiteral("Rlxtlc20.xif"));
  EXPECT_EQ(explicitFamily.programId, QStringLiteral("524C580000000000"));
  EXPECT_EQ(explicitFamily.objects.size(), 1);
  EXPECT_TRUE(explicitFamily.variables.isEmpty());
}

TEST(Xif, ProgramIdentifierLineAndLayout) {
  // Identifier on line 4 when it is not blank; lower-case digits read upper case.
  XifInterface x = parseXif("a\nb\nc\n52-4c-58-00-00-00-00-01\n*\nOBJECT 0 \"Node\" 0\r\n", QStringLiteral("t"));
  EXPECT_EQ(x.programId, QStringLiteral("524C580000000001"));
  x = parseXif(header() + "OBJECT 0 \"Node \\\"0\\\"\" 0\nVAR nvoA 0 0 OUTPUT T\nCP C 0 2 \"a,\\\"b\\\"\"\n*\n",
               QStringLiteral("t"));
  EXPECT_EQ(x.objects[0].name, QStringLiteral("Node \"0\""));
  EXPECT_EQ(x.properties[0].defaultValue, QStringLiteral("a,\"b\""));
  EXPECT_EQ(x.properties[0].elementCount, 2);
}

TEST(Xif, MalformedFilesNameTheFileTheLineAndTheReason) {
  EXPECT_EQ(importFailure(header() + "OBJECT 0 \"Node\" 0\nVAR nvoA 0 4 OUTPUT T\n"),
            QStringLiteral("Cannot import the external interface file t.xif: line 10: variable nvoA names object 4, "
                           "which is not declared"));
  EXPECT_TRUE(importFailure(header("80:00:60:32:5B:08:09")).contains(QStringLiteral("line 5: the program identifier")));
  EXPECT_TRUE(importFailure(header("80:00:60:32:5B:08:0G:32")).contains(QStringLiteral("line 5")));
  EXPECT_TRUE(importFailure("only\ntwo lines\n").contains(QStringLiteral("ends before its program identifier")));
  EXPECT_TRUE(importFailure(header().replace("*\n", "")).contains(QStringLiteral("no interface section")));
  EXPECT_TRUE(importFailure(header()).contains(QStringLiteral("declares no LonMark object")));
  EXPECT_TRUE(importFailure(header() + "OBJECT 0 \"Node 0\n").contains(QStringLiteral("not closed")));
  EXPECT_TRUE(importFailure(header() + "OBJECT x \"Node\" 0\n").contains(QStringLiteral("object index \"x\"")));
  EXPECT_TRUE(
      importFailure(header() + "OBJECT 0 \"A\" 0\nOBJECT 0 \"B\" 0\n").contains(QStringLiteral("appears twice")));
  EXPECT_TRUE(
      importFailure(header() + "OBJECT 0 \"A\" 0\nVAR v 1 0 SIDEWAYS T\n").contains(QStringLiteral("SIDEWAYS")));
  EXPECT_TRUE(importFailure(header() + "OBJECT 0 \"A\" 0\nCP c 0 0 \"\"\n").contains(QStringLiteral("element count")));
  EXPECT_TRUE(
      importFailure(header() + "OBJECT 0 \"A\" 0\nCP c 0 1 \"\"\nCP c 0 1 \"\"\n").contains(QStringLiteral("twice")));
  EXPECT_TRUE(
      importFailure(header() + "OBJECT 0 \"A\" 0\nNONSENSE\n").contains(QStringLiteral("line 10: unknown line")));
  EXPECT_TRUE(importFailure(QByteArray("\0\0\0\0\0\n\n\n\n", 9)).contains(QStringLiteral("not a text file")));

  LonWorksTree tree;
  EXPECT_TRUE(errorOf([&] { readXifFile(tree.root + QStringLiteral("/Import/none.xif")); }, lns::kErrImport)
                  .contains(QStringLiteral("does not exist")));
}

class TemplateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = tree.openServer();
    demo = std::make_unique<DemoNetwork>(*server);
    templates = demo->sys.system->DeviceTemplates();
  }
  LonWorksTree tree;
  std::unique_ptr<SimObjectServer> server;
  std::unique_ptr<DemoNetwork> demo;
  lns::DeviceTemplatesPtr templates;
};

TEST_F(TemplateTest, FoundByProgramIdentifierAndNameAddedAndRenamed) {
  ASSERT_EQ(templates->Count(), 2);  // the demo's two families
  auto lonMark = templates->ItemByProgramId(QStringLiteral("800060325b080932"));
  EXPECT_EQ(lonMark->Name(), QStringLiteral("Rlxtlc32"));
  EXPECT_EQ(templates->ItemByName(QStringLiteral("rlxtlc20"))->ProgramId(), QStringLiteral("524C580000000000"));
  EXPECT_EQ(templates->ItemByName(QStringLiteral("RLXTLC20")), nullptr);
  errorOf([&] { templates->ItemByProgramId(QStringLiteral("0000000000000000")); }, lns::kErrNotFound);

  errorOf([&] { templates->Add(QStringLiteral("Rlxtlc32"), 1); }, lns::kErrNameInUse);
  auto added = templates->Add(QStringLiteral("Rlxtlc32 (1)"), 1);
  EXPECT_EQ(added->ProgramId(), QString());
  EXPECT_EQ(added->Interface()->LonMarkObjects()->Count(), 0);
  errorOf([&] { added->SetName(QStringLiteral("rlxtlc20")); }, lns::kErrNameInUse);
  added->SetName(QStringLiteral("Spare"));
  EXPECT_EQ(templates->Item(3)->Name(), QStringLiteral("Spare"));
  lonMark->SetName(QStringLiteral("Rlxtlc32"));  // its own name again is fine
}

TEST_F(TemplateTest, ImportFillsTheInterfaceAndKeepsObjectsOnReimport) {
  auto tpl = templates->Add(QStringLiteral("Mine"), 1);
  const QString xif = tree.root + QStringLiteral("/Import/Rlxtlc32.xif");
  tpl->ImportXif(xif);
  EXPECT_EQ(tpl->ProgramId(), QStringLiteral("800060325B080932"));
  auto objects = tpl->Interface()->LonMarkObjects();
  ASSERT_EQ(objects->Count(), 7);
  auto internal = objects->Item(QStringLiteral("Internal Modem"));
  EXPECT_EQ(internal->NetworkVariables()->Count(), 4);
  EXPECT_EQ(internal->ConfigProperties()->Item(QStringLiteral("UCPT_AAnswer"))->Value(), QStringLiteral("1.1 1"));
  EXPECT_EQ(tpl->Interface()->NetworkVariables()->Item(13)->Name(), QStringLiteral("nvoCnctStrEx2"));
  errorOf([&] { internal->Device(); }, lns::kErrNotFound);

  // Component applications of scope 3 and 4.
  tpl->ComponentApps()->Add(QStringLiteral("RLX_Plug"), QStringLiteral("RLX_Plug.LNSPlugInAPI"), 7);
  internal->ComponentApps()
      ->Add(QStringLiteral("RLX_Plug"), QStringLiteral("RLX_Plug.LNSPlugInAPI"), 28)
      ->SetCommandCode(13);
  EXPECT_EQ(objects->Item(QStringLiteral("Device Globals"))->ComponentApps()->Count(), 0);

  // Importing again (as every registration does) keeps the objects and their applications.
  const qint64 before = rowIdOf(internal);
  tpl->ImportXif(xif);
  auto again = tpl->Interface()->LonMarkObjects()->Item(QStringLiteral("Internal Modem"));
  EXPECT_EQ(rowIdOf(again), before);
  EXPECT_EQ(again->ComponentApps()->Item(QStringLiteral("RLX_Plug"))->CommandCode(), 13);
  EXPECT_EQ(again->NetworkVariables()->Count(), 4);
  EXPECT_EQ(tpl->ComponentApps()->Count(), 1);

  // Another family's file does not go into this template; a bad file changes nothing.
  EXPECT_TRUE(errorOf([&] { tpl->ImportXif(tree.root + QStringLiteral("/Import/Rlxtlc20.xif")); }, lns::kErrImport)
                  .contains(QStringLiteral("program identifier 524C580000000000")));
  QFile bad(tree.root + QStringLiteral("/Import/bad.xif"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write(header() + "OBJECT 0 \"A\" 0\nVAR v 1 9 INPUT T\n");
  bad.close();
  errorOf([&] { tpl->ImportXif(bad.fileName()); }, lns::kErrImport);
  errorOf([&] { tpl->ImportXif(tree.root + QStringLiteral("/Import/missing.xif")); }, lns::kErrImport);
  EXPECT_EQ(tpl->Interface()->LonMarkObjects()->Count(), 7);
}

TEST_F(TemplateTest, RlxDevicesTakeTheLanguageFilesObjectNames) {
  // A language file that names the internal modem differently.
  const QString folder = tree.root + QStringLiteral("/types/User/Zev");
  QDir().mkpath(folder);
  QFile enu(folder + QStringLiteral("/Zev.enu"));
  ASSERT_TRUE(enu.open(QIODevice::WriteOnly));
  enu.write("LDRF-LANGUAGE 1\n9=Modem Interne\n11=Device Globals\nEND\n");
  enu.close();
  EXPECT_EQ(rlxObjectNames().value(1), QStringLiteral("Modem Interne"));

  // A second network: its own templates, made anew from the files.
  server->createNetwork(QStringLiteral("Other"));
  const OpenedSystem sys = openFirstSystem(*server, QStringLiteral("Other"));
  RlxDevice d;
  d.subsystemId = server->createSubsystem(sys.systemId, QStringLiteral("Sub"));
  d.name = QStringLiteral("R1");
  d.firmware = QStringLiteral("3.10");
  addRlxDevice(*server, sys, d);
  auto device = sys.system->Subsystems()->Item(QStringLiteral("Sub"))->AppDevices()->Item(QStringLiteral("R1"));
  auto objects = device->Interface()->LonMarkObjects();
  EXPECT_EQ(objects->Item(2)->Name(), QStringLiteral("Modem Interne"));
  EXPECT_EQ(objects->Item(3)->Name(), QStringLiteral("External Modem #1"));  // not in the file: the XIF's name
  EXPECT_EQ(device->Interface()->NetworkVariables()->Item(QStringLiteral("nvoProductName"))->Value(),
            QStringLiteral("RLX-LonMark 3.10"));
  EXPECT_EQ(sys.system->DeviceTemplates()
                ->ItemByProgramId(rlxProgramId(RlxFamily::LonMark))
                ->Interface()
                ->LonMarkObjects()
                ->Item(2)
                ->Name(),
            QStringLiteral("Modem Interne"));
  d.name = QStringLiteral("R2");
  d.firmware = QStringLiteral("3.2");
  errorOf([&] { addRlxDevice(*server, sys, d); }, lns::kErrInvalidValue);

  // Without the interface files no template can be made.
  QFile::remove(tree.root + QStringLiteral("/Import/Rlxtlc20.xif"));
  d.family = RlxFamily::Explicit;
  d.name = QStringLiteral("E1");
  if (findXifFile(QStringLiteral("rlxtlc20")).isEmpty())
    errorOf([&] { addRlxDevice(*server, sys, d); }, lns::kErrImport);
  EXPECT_EQ(sys.system->DeviceTemplates()->Count(), 1);
}

}  // namespace
}  // namespace lnssim
