// The ring mode and statistics windows against the RLX simulator on the
// shared simulated network (the demo network with its two routers).

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "host/mmain.h"
#include "lonworks/rlx_device/rlx_store.h"
#include "ring_stats/fconnstatistics.h"
#include "ring_stats/fringmode.h"
#include "ring_stats/ring_stats.h"
#include "ring_stats/testing/sim_ring_network.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/sim_network.h"
#include "windows/testing/window_fixture.h"

namespace {

using ring_testing::StubMainWindow;
using testing_support::SimNetwork;

class RingStatsOnSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    fRingMode::SetPause([this](fRingMode&, int ms) { net.advance(ms); });
  }
  void TearDown() override {
    fRingMode::SetPause(nullptr);
    ring_stats::UnloadRingStatsWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  testing_support::ScriptedUi& ui() { return testing_support::scriptedUi(); }
  void enableRing(const lns::AppDevicePtr& device, int unit) {
    net.change(device, [unit](rlxsim::DeviceState& s) {
      s.ring.enabled = true;
      s.ring.unit = unit;
    });
  }

  SimNetwork net;
};

TEST_F(RingStatsOnSimulator, StatisticsOfAnExternalModemAreReadAndCleared) {
  const lns::AppDevicePtr device = net.explicitDevice();
  net.change(device, [](rlxsim::DeviceState& s) {
    s.modems[2].stats.lastCause = 3;
    s.modems[2].stats.hangups[2] = 7;
    s.modems[2].stats.successes = 12;
    s.modems[2].stats.retrains = 4;
  });
  StubMainWindow main(true, device, MMain.ExternalModem2ObjectName);
  main.control().SetCompletionWait(&net.completionWait());
  MMain.ExplicitFamily = 1;
  ring_stats::ShowConnectionStatistics(main);
  fConnStatistics* w = ring_stats::LoadedStatisticsWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->LabelHangupValues[0]->text(), "User Call Cancel");
  EXPECT_EQ(w->LabelHangupValues[3]->text(), "7");
  EXPECT_EQ(w->LabelHangupValues[10]->text(), "12");
  EXPECT_EQ(w->LabelHangupValues[11]->text(), "4");
  EXPECT_FALSE(w->LabelRetrain->isEnabled());

  w->CmdClear->click();
  EXPECT_EQ(net.sent(device), QStringList({"00 01 61 03 00", "00 01 61 03 01"}));
  EXPECT_EQ(net.state(device).modems[2].stats, rlxsim::Statistics{});
  EXPECT_TRUE(ui().boxes().isEmpty());
}

TEST_F(RingStatsOnSimulator, ExplicitParametersGoToTheDeviceAndBack) {
  const lns::AppDevicePtr device = net.explicitDevice();
  StubMainWindow main(true, device);
  main.control().SetCompletionWait(&net.completionWait());
  ring_stats::OpenRingMode(main);
  fRingMode* w = ring_stats::LoadedRingModeWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->EnableChk->isChecked());
  w->EnableChk->click();
  w->TextUnitID->setText("7");
  w->TextRingProp->setText("3000");
  w->CmdApply->click();
  EXPECT_EQ(main.unloads(), 1);
  const rlxsim::RingMode ring = net.state(device).ring;
  EXPECT_TRUE(ring.enabled);
  EXPECT_EQ(ring.unit, 7);
  EXPECT_EQ(ring.delayMs, 3000);
  EXPECT_EQ(ring.intervalMs, 10000);

  ring_stats::OpenRingMode(main);
  EXPECT_TRUE(w->EnableChk->isChecked());
  EXPECT_EQ(w->TextUnitID->text(), "07");
  EXPECT_EQ(w->TextRingProp->text(), "3000");
}

TEST_F(RingStatsOnSimulator, LonMarkParametersGoThroughThePropertyToTheDevice) {
  const lns::AppDevicePtr device = net.lonMarkDevice();
  StubMainWindow main(false, device, QStringLiteral("Device Globals"));
  ring_stats::OpenRingMode(main);
  fRingMode* w = ring_stats::LoadedRingModeWindow();
  ASSERT_NE(w, nullptr);
  w->EnableChk->setChecked(true);
  w->EnableChk_Click();
  w->TextUnitID->setText("4");
  w->TextRingTest->setText("20000");
  w->CmdApply->click();
  EXPECT_TRUE(ui().boxes().isEmpty()) << ui().boxTexts().join(" | ").toStdString();
  const rlxsim::RingMode ring = net.state(device).ring;
  EXPECT_TRUE(ring.enabled);
  EXPECT_EQ(ring.unit, 4);
  EXPECT_EQ(ring.intervalMs, 20000);
}

TEST_F(RingStatsOnSimulator, AQueryOverTheSimulatedRingFindsItClosedOrOpen) {
  const lns::AppDevicePtr first = net.explicitDevice();
  const lns::AppDevicePtr second = net.addDevice("RLX-2", true);
  const lns::AppDevicePtr third = net.addDevice("RLX-3", true);
  enableRing(first, 1);
  enableRing(second, 2);
  enableRing(third, 3);
  StubMainWindow main(true, first);
  main.control().SetCompletionWait(&net.completionWait());
  MMain.ExplicitFamily = 1;
  ring_stats::OpenRingMode(main);
  fRingMode* w = ring_stats::LoadedRingModeWindow();
  ASSERT_NE(w, nullptr);
  ui().clear();

  w->QueryRingStatus->click();
  // The LonMark router of the subsystem is not in ring mode.
  EXPECT_EQ(ui().boxTexts(), QStringList({"RLX 'RLX-LonMark' did not respond", "Ring is Closed!"}));
  EXPECT_EQ(w->RingEntries[3].NeuronIdText, third->NeuronId());

  // The link between the second and the third router breaks.
  const qint64 subsystem = lnssim::rowIdOf(MMain.CurrentSystem->Subsystems()->Item("Routers").get());
  rlxsim::RingConfig config;
  config.closed = false;
  config.endA = second->NeuronId();
  config.endB = third->NeuronId();
  rlxsim::writeRingConfig(net.server().database(), subsystem, config);
  ui().clear();
  w->QueryRingStatus->click();
  EXPECT_EQ(ui().boxTexts(),
            QStringList({"RLX 'RLX-LonMark' did not respond", "Ring is Open between 'RLX-2' and 'RLX-3'"}));
}

}  // namespace

// --- the main windows' menu entries -----------------------------------------------

namespace {

using testing_support::scriptedUi;

class MenuEntries : public window_testing::WindowTest {};

TEST_F(MenuEntries, BothMainWindowsOpenTheRingModeAndStatisticsWindows) {
  configureExplicitDevice();
  fMainExplicit* explicitMain = explicitWindow();
  ASSERT_TRUE(explicitMain->SubMenuStatistics->isEnabled());
  net->clearSent();
  scriptedUi().clear();
  explicitMain->SubMenuStatistics->trigger();
  explicitMain->SubMenuRingMode->trigger();
  EXPECT_EQ(net->sent(net->explicitDevice()), QStringList({"00 01 61 00 00", "00 01 72 00 02"}));
  EXPECT_EQ(scriptedUi().modalsShown(), QStringList({"fConnStatistics", "fRingMode"}));
  EXPECT_EQ(ring_stats::LoadedStatisticsWindow()->parentWidget(), explicitMain);
  EXPECT_EQ(ring_stats::LoadedRingModeWindow()->parentWidget(), explicitMain);

  configureObject(MMain.ExternalModem1ObjectName);
  fMain* lonMarkMain = main();
  ASSERT_TRUE(lonMarkMain->SubMenuStatistics->isEnabled());
  net->clearSent();
  scriptedUi().clear();
  lonMarkMain->SubMenuStatistics->trigger();
  lonMarkMain->SubMenuRingMode->trigger();
  EXPECT_EQ(net->sent(net->lonMarkDevice()), QStringList({"00 01 61 02 00"}));
  EXPECT_EQ(scriptedUi().modalsShown(), QStringList({"fConnStatistics", "fRingMode"}));
  EXPECT_EQ(ring_stats::LoadedRingModeWindow()->parentWidget(), lonMarkMain);
  EXPECT_EQ(ring_stats::LoadedRingModeWindow()->RingModeProperty->Name(), "UCPT_RingMode");
  EXPECT_TRUE(scriptedUi().boxes().isEmpty()) << scriptedUi().boxTexts().join(" | ").toStdString();
}

}  // namespace
