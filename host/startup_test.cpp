#include "host/startup.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include "host/fregisterplugin.h"
#include "host/mmain.h"

using startup::ClassifyCommandLine;
using startup::StartMode;

namespace {

TEST(Startup, SwitchesAreTrimmedAndCaseInsensitive) {
  EXPECT_EQ(ClassifyCommandLine({"/regplugin"}), StartMode::RegPlugIn);
  EXPECT_EQ(ClassifyCommandLine({"  /RegPlugIn  "}), StartMode::RegPlugIn);
  EXPECT_EQ(ClassifyCommandLine({"", "/REGPLUGIN", ""}), StartMode::RegPlugIn);
  EXPECT_EQ(ClassifyCommandLine({"/DeRegPlugin"}), StartMode::DeregPlugIn);
  for (const char* help : {"--help", "-h", "/?", " --HELP "})
    EXPECT_EQ(ClassifyCommandLine({help}), StartMode::Help) << help;
  EXPECT_EQ(ClassifyCommandLine({"--version"}), StartMode::Version);
}

TEST(Startup, AnythingElseOpensTheRegistrationDialog) {
  EXPECT_EQ(ClassifyCommandLine({}), StartMode::RegistrationDialog);
  EXPECT_EQ(ClassifyCommandLine({"/regplugin", "now"}), StartMode::RegistrationDialog);
  EXPECT_EQ(ClassifyCommandLine({"/regplugin2"}), StartMode::RegistrationDialog);
  EXPECT_EQ(ClassifyCommandLine({"regplugin"}), StartMode::RegistrationDialog);
  EXPECT_EQ(ClassifyCommandLine({"--help", "/regplugin"}), StartMode::RegistrationDialog);
  EXPECT_EQ(ClassifyCommandLine({"--version", "now"}), StartMode::RegistrationDialog);
}

TEST(Startup, OnlyTheEmbeddingArgumentAloneIsAnAutomationStart) {
  EXPECT_EQ(ClassifyCommandLine({"-Embedding"}), StartMode::Automation);
  EXPECT_EQ(ClassifyCommandLine({"/Embedding"}), StartMode::Automation);
  EXPECT_EQ(ClassifyCommandLine({"-Embedding", "/regplugin"}), StartMode::RegistrationDialog);
  EXPECT_EQ(ClassifyCommandLine({"/regplugin -Embedding"}), StartMode::RegistrationDialog);
}

TEST(RegistrationDialog, CaptionsAndClosingRunsTheShutdown) {
  int shutdowns = 0;
  SetShutdownProcedure([&] { ++shutdowns; });
  {
    fRegisterPlugIn dialog;
    EXPECT_EQ(dialog.windowTitle(), "RLX_Plug");
    EXPECT_EQ(dialog.bRegister->text(), "&Register Plug-in");
    EXPECT_EQ(dialog.bDeregister->text(), "&Deregister Plug-in");
    EXPECT_EQ(dialog.bExit->text(), "&Exit");
    dialog.show();
    dialog.bExit->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(shutdowns, 1);
    dialog.show();
    dialog.close();  // the window's close box
    EXPECT_EQ(shutdowns, 2);
  }
  SetShutdownProcedure(nullptr);
}

}  // namespace

namespace {

TEST(SetTopmost, TogglesTheStayOnTopFlagAndKeepsGeometry) {
  QWidget w;
  w.setGeometry(100, 120, 300, 200);
  w.show();
  const QRect before = w.geometry();
  SetTopmost(&w, true);
  EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.geometry(), before);
  SetTopmost(&w, false);
  EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(w.geometry(), before);
  SetTopmost(nullptr, true);  // no window: nothing happens
}

}  // namespace
