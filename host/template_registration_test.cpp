#include "host/template_registration.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "host/attach.h"
#include "host/device_resources.h"
#include "host/fregtemplate.h"
#include "host/ldrf.h"
#include "host/mmain.h"
#include "host/registration.h"
#include "lonworks/device_resources/ldrf_standin.h"
#include "lonworks/object_server/test_network.h"
#include "tests/support/scripted_ui.h"

using testing_support::scriptedUi;

namespace {

// Answers the template dialog when it appears: the ALL or the CURRENT option
// and OK, or closes it without OK.
enum class Choice { All, Current, CloseWithoutOk };

void answerDialog(Choice choice) {
  QTimer::singleShot(0, [choice] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<fRegTemplate*>(w);
      if (!d || !d->isVisible())
        continue;
      if (choice == Choice::CloseWithoutOk) {
        d->close();
        return;
      }
      d->Option1[choice == Choice::All ? 1 : 0]->setChecked(true);
      d->CmdOk->click();
      return;
    }
    ADD_FAILURE() << "the template dialog did not appear";
  });
}

class TemplateRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    ldrf::setFactory(&resources_);
    // The XIF compiler lives in the LonWorks tree's bin folder.
    setTool(testing_support::TestEnv::binDir() + "/XIF32BIN");
    // The language file supplies the LonMark object names of the command rows;
    // the build tree holds it where an installation does.
    registration::SetProgramFolder(testing_support::TestEnv::binDir());
    ASSERT_TRUE(device_resources::InstallDeviceResources());
    registration::SetProgramFolder(QString());
    scriptedUi().clear();
    server_ = tree_.openServer();
    MMain = MMainState{};
    attach::BuildPlugInCommandTable();
  }
  void TearDown() override {
    MMain = MMainState{};
    ldrf::setFactory(nullptr);
  }
  void setTool(const QString& target) {
    const QString link = tree_.root + "/bin/XIF32BIN";
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(target, link));
  }
  void useNetwork(const QString& name) {
    sys_ = lnssim::openFirstSystem(*server_, name);
    MMain.ObjectServer = std::shared_ptr<lns::ObjectServer>(server_.get(), [](lns::ObjectServer*) {});
    MMain.CurrentSystem = sys_.system;
  }
  void run(Choice choice) {
    answerDialog(choice);
    template_registration::RegisterCommands();
  }
  lns::DeviceTemplatePtr templateNamed(const QString& name) { return sys_.system->DeviceTemplates()->ItemByName(name); }
  // The plug-in's component applications of a collection: name, code, type, text.
  QStringList apps(const lns::ComponentAppsPtr& c) {
    QStringList out;
    for (qint32 i = 1; i <= c->Count(); ++i) {
      auto a = c->Item(i);
      if (a->ProgramId() == "RLX_Plug.LNSPlugInAPI")
        out << QString("%1|%2|%3|%4|%5|%6|%7")
                   .arg(a->Name())
                   .arg(a->CommandCode())
                   .arg(a->ObjectType())
                   .arg(a->CommandText(), a->Version(), a->ManufacturerId())
                   .arg(a->DefaultAction());
    }
    return out;
  }
  lns::ComponentAppsPtr objectApps(const lns::DeviceTemplatePtr& t, const QString& object) {
    return t->Interface()->LonMarkObjects()->Item(object)->ComponentApps();
  }

  lnssim::testing::LonWorksTree tree_;
  lonworks::LdrfStandInFactory resources_;
  std::unique_ptr<lnssim::SimObjectServer> server_;
  lnssim::OpenedSystem sys_;
};

TEST_F(TemplateRegistration, AllRegistersBothFamiliesAndSevenCommands) {
  server_->createNetwork("Plant");
  useNetwork("Plant");
  run(Choice::All);
  EXPECT_TRUE(MMain.RegisterAllTemplates);
  auto lonMark = templateNamed("Rlxtlc32");
  auto explicitT = templateNamed("rlxtlc20");
  ASSERT_TRUE(lonMark);
  ASSERT_TRUE(explicitT);
  EXPECT_EQ(lonMark->ProgramId(), "800060325B080932");
  EXPECT_EQ(explicitT->ProgramId(), "524C580000000000");
  // XIF32BIN made the binary forms next to the interface files.
  EXPECT_TRUE(QFile::exists(tree_.root + "/Import/Rlxtlc32.XFB"));
  EXPECT_TRUE(QFile::exists(tree_.root + "/Import/Rlxtlc20.XFB"));
  EXPECT_EQ(apps(lonMark->ComponentApps()), QStringList{"RLX_Plug|13|7|Configure RLX_Plug|2.10b|60|0"});
  EXPECT_EQ(apps(explicitT->ComponentApps()), QStringList{"RLX_Plug|13|7|Configure Explicit RLX|2.10b|60|0"});
  EXPECT_EQ(apps(objectApps(lonMark, "Internal Modem")),
            QStringList{"RLX_Plug|13|28|Configure Internal Modem|2.10b|60|0"});
  EXPECT_EQ(apps(objectApps(lonMark, "External Modem #2")),
            QStringList{"RLX_Plug|13|28|Configure External Modem  2|2.10b|60|0"});
  EXPECT_EQ(apps(objectApps(lonMark, "Directory #1")), QStringList{"RLX_Plug|13|28|Configure Directory  1|2.10b|60|0"});
  EXPECT_EQ(apps(objectApps(lonMark, "Directory #2")), QStringList{"RLX_Plug|13|28|Configure Directory  2|2.10b|60|0"});
  EXPECT_EQ(apps(objectApps(lonMark, "Device Globals")),
            QStringList{"RLX_Plug|13|28|Configure Device Globals|2.10b|60|0"});
  EXPECT_EQ(MMain.PlugInCommandTable[0].ProgramId, "800060325B080932");  // upper-cased in place
  EXPECT_TRUE(scriptedUi().boxes().isEmpty()) << scriptedUi().boxTexts().join("|").toStdString();
  EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);

  // Running it again finds everything and adds nothing.
  run(Choice::All);
  EXPECT_EQ(sys_.system->DeviceTemplates()->Count(), 2);
  EXPECT_EQ(apps(lonMark->ComponentApps()).size(), 1);
  EXPECT_EQ(apps(objectApps(lonMark, "Internal Modem")).size(), 1);
  EXPECT_EQ(apps(explicitT->ComponentApps()).size(), 1);
}

TEST_F(TemplateRegistration, CurrentRegistersTheLonMarkFamilyOnly) {
  server_->createNetwork("Plant");
  useNetwork("Plant");
  run(Choice::Current);
  EXPECT_FALSE(MMain.RegisterAllTemplates);
  EXPECT_TRUE(templateNamed("Rlxtlc32"));
  EXPECT_FALSE(templateNamed("rlxtlc20"));
}

TEST_F(TemplateRegistration, ForeignTemplateOfTheSameNameGetsANumberedNeighbour) {
  server_->createNetwork("Plant");
  useNetwork("Plant");
  auto foreign = sys_.system->DeviceTemplates()->Add("Rlxtlc32", 1);
  run(Choice::Current);
  auto mine = templateNamed("Rlxtlc32 (1)");
  ASSERT_TRUE(mine);
  EXPECT_EQ(mine->ProgramId(), "800060325B080932");
  EXPECT_TRUE(apps(foreign->ComponentApps()).isEmpty());
  EXPECT_EQ(apps(mine->ComponentApps()).size(), 1);
}

TEST_F(TemplateRegistration, FailingCompilerAsksForTheFilesAndStillImports) {
  server_->createNetwork("Plant");
  useNetwork("Plant");
  const QString failing = tree_.env.scratch() + "/failing-xif32bin";
  QFile f(failing);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("#!/bin/sh\nexit 4\n");
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  setTool(failing);
  run(Choice::Current);
  const QStringList texts = scriptedUi().boxTexts();
  ASSERT_GE(texts.size(), 2);
  const QString stem = tree_.root + "/Import/Rlxtlc32.";
  EXPECT_EQ(texts[0],
            "The file " + stem + "XFB cannot be found.  Please copy it into the same directory as the XIF file.");
  EXPECT_EQ(scriptedUi().boxes()[0].title, "Cannot Export Database");
  EXPECT_EQ(scriptedUi().boxes()[0].icon, platform::MsgIcon::Critical);
  EXPECT_TRUE(
      texts[1].startsWith("Copy the external interface file (XIF and XFB versions) for the Rlxtlc32 device "
                          "type into the directory "));
  EXPECT_TRUE(texts[1].endsWith(" and click OK"));
  // The file was there all along, so the manual step ended at once and imported it.
  auto t = templateNamed("Rlxtlc32");
  ASSERT_TRUE(t);
  EXPECT_NO_THROW(t->Interface()->LonMarkObjects()->Item("Internal Modem"));
}

TEST_F(TemplateRegistration, ImportFailureIsReportedAndTheManualStepFollows) {
  server_->createNetwork("Plant");
  useNetwork("Plant");
  // An interface file with the right identifier but a damaged body.
  QFile::remove(tree_.root + "/Import/Rlxtlc32.xif");
  QFile bad(tree_.root + "/Import/Rlxtlc32.xif");
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("File\nCopyright\nAll Rights Reserved.\n\n80:00:60:32:5B:08:09:32\n*\nOBJECT x\n*\n");
  bad.close();
  QFile xfb(tree_.root + "/Import/Rlxtlc32.XFB");  // present, so no compiling
  ASSERT_TRUE(xfb.open(QIODevice::WriteOnly));
  xfb.close();
  run(Choice::Current);
  const QStringList texts = scriptedUi().boxTexts();
  ASSERT_GE(texts.size(), 2);
  EXPECT_TRUE(
      texts[0].startsWith("Could not import the external interface file " + tree_.root + "/Import/Rlxtlc32.xif.  "))
      << texts[0].toStdString();
  EXPECT_EQ(scriptedUi().boxes()[0].title, "RLX_Plug");
  EXPECT_TRUE(texts[1].startsWith("Copy the external interface file"));
  // The commands are registered all the same (on the template, whose objects are missing).
  auto t = templateNamed("Rlxtlc32");
  ASSERT_TRUE(t);
  EXPECT_EQ(apps(t->ComponentApps()).size(), 1);
}

TEST_F(TemplateRegistration, ClosingTheDialogWithoutOkRegistersNothing) {
  server_->createNetwork("Plant");
  useNetwork("Plant");
  run(Choice::CloseWithoutOk);
  EXPECT_FALSE(fRegTemplate::fRegTemplateLoaded);
  EXPECT_EQ(sys_.system->DeviceTemplates()->Count(), 0);
}

TEST(FreeName, NumbersFromOneAndTakesTheThousandthUntried) {
  using template_registration::FreeName;
  EXPECT_EQ(FreeName("T", [](const QString&) { return false; }), "T");
  EXPECT_EQ(FreeName("T", [](const QString& n) { return n == "T" || n == "T (1)"; }), "T (2)");
  QStringList tried;
  EXPECT_EQ(FreeName("T",
                     [&](const QString& n) {
                       tried << n;
                       return true;
                     }),
            "T (1000)");
  EXPECT_FALSE(tried.contains("T (1000)"));
  EXPECT_TRUE(tried.contains("T (999)"));
}

}  // namespace
