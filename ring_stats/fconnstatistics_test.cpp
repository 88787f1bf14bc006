#include "ring_stats/fconnstatistics.h"

#include <gtest/gtest.h>

#include <QAccessible>

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include "explicit_control/testing/simulated_wait.h"
#include "ring_stats/testing/ring_fixture.h"

namespace {

using lnssim::RlxFamily;
using ring_testing::Fault;
using ring_testing::StubMainWindow;

class ConnStatistics : public ring_testing::RingStatsTest {
 protected:
  // Statistics of a modem: values 3 and on of the device's reply.
  void setStatistics(const lns::AppDevicePtr& device, int selector, std::vector<std::uint8_t> values) {
    ring_testing::RlxState s = net.state(device);
    s.statistics[selector] = std::move(values);
    net.setState(device, s);
  }
  QStringList values() {
    QStringList out;
    for (QLabel* l : statisticsWindow()->LabelHangupValues)
      out << l->text();
    return out;
  }
  bool shown() { return ui().modalsShown().contains(QStringLiteral("fConnStatistics")); }
};

TEST_F(ConnStatistics, TheWindowHasEveryCaptionInItsFrames) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  StubMainWindow main(true, device, ring_testing::kInternalModem);
  ring_stats::ShowConnectionStatistics(main);
  fConnStatistics* w = statisticsWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Connection Statistics");
  EXPECT_EQ(w->FrameHangups->title(), "Hangups");
  EXPECT_EQ(w->FrameCause->title(), "Last Hangup Cause");
  EXPECT_EQ(w->FrameOther->title(), "");
  const QList<QLabel*> captions = {w->LabelCarrier, w->LabelHearbeat, w->LabelCancel,  w->LabelTraining, w->LabelLink,
                                   w->Labelinitial, w->LabelMid,      w->LabelInvalid, w->LabelDSR};
  const QStringList texts = {"Carrier Lost:",
                             "Heartbeat Lost:",
                             "User Call Cancel:",
                             "Training Timeout:",
                             "Link Training Timeout:",
                             "No Initial Dialtone:",
                             "No Mid-String Dialtone:",
                             "Invalid Dialstring Character:",
                             "DSR Lost:"};
  w->layout()->activate();
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(captions[k]->text(), texts[k]);
    EXPECT_EQ(captions[k]->parent(), w->FrameHangups);
    // Each counter sits beside its caption, in the same order.
    EXPECT_EQ(w->LabelHangupValues[std::size_t(k + 1)]->property("index").toInt(), k + 1);
    // It reads as its count, described by its caption.
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(w->LabelHangupValues[std::size_t(k + 1)])->text(QAccessible::Description),
        texts[k]);
    EXPECT_EQ(w->LabelHangupValues[std::size_t(k + 1)]->geometry().center().y(), captions[k]->geometry().center().y());
  }
  EXPECT_EQ(w->LabelHangupValues[0]->parent(), w->FrameCause);
  EXPECT_EQ(w->LabelSuccessful->text(), "Successful Connections:");
  EXPECT_EQ(w->LabelRetrain->text(), "Retrain Attempts:");
  EXPECT_EQ(w->LabelHangupValues[10]->parent(), w->FrameOther);
  EXPECT_EQ(w->LabelHangupValues[11]->parent(), w->FrameOther);
  EXPECT_EQ(w->CmdClear->text(), "Clear");
  EXPECT_EQ(w->CmdExit->text(), "Exit");
  for (QLabel* l : w->LabelHangupValues)
    EXPECT_EQ(l->objectName(), "LabelHangupValues");
  EXPECT_EQ(w->parentWidget(), main.window());
}

TEST_F(ConnStatistics, AFullReplyFillsEveryValue) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  setStatistics(device, 0, {2, 4, 5, 0, 0, 0, 0, 0, 0, 0, 17, 3});
  StubMainWindow main(true, device, ring_testing::kInternalModem);
  ring_stats::ShowConnectionStatistics(main);

  EXPECT_EQ(net.requests(device), std::vector<std::string>{"01 61 00 00"});
  EXPECT_EQ(values(), QStringList({"Heartbeat Lost", "4", "5", "0", "0", "0", "0", "0", "0", "0", "17", "3"}));
  EXPECT_TRUE(shown());
  EXPECT_TRUE(ui().boxes().isEmpty());
  EXPECT_EQ(ui().pointerHistory().front(), platform::Pointer::Hourglass);
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
}

TEST_F(ConnStatistics, AShortReplyLeavesTheMissingValuesEmptyAndUnknownCausesShowNothing) {
  auto device = net.addRlx("R1", RlxFamily::LonMark);
  setStatistics(device, 0, {7, 1, 2});
  StubMainWindow main(false, device, QStringLiteral("Device Globals"));
  ring_stats::ShowConnectionStatistics(main);
  EXPECT_EQ(values(), QStringList({"No Mid-String Dialtone", "1", "2", "", "", "", "", "", "", "", "", ""}));

  // Value 3 "10", "0" and a reply that stops before it: no cause. The same
  // window is filled again.
  fConnStatistics* first = statisticsWindow();
  for (const auto& stats : std::vector<std::vector<std::uint8_t>>{{10, 9}, {0}, {}}) {
    setStatistics(device, 0, stats);
    ring_stats::ShowConnectionStatistics(main);
    EXPECT_EQ(statisticsWindow(), first);
    EXPECT_EQ(statisticsWindow()->LabelHangupValues[0]->text(), "");
  }
  EXPECT_EQ(statisticsWindow()->LabelHangupValues[1]->text(), "");
  EXPECT_EQ(ui().modalsShown().count("fConnStatistics"), 4);
}

TEST_F(ConnStatistics, EachModemNameReadsItsModemAndExternalModemsGreyTheInternalOnlyRows) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  setStatistics(device, 3, {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  StubMainWindow main(true, device, ring_testing::kExternalModem2);
  ring_stats::ShowConnectionStatistics(main);
  fConnStatistics* w = statisticsWindow();
  EXPECT_EQ(net.requests(device).back(), "01 61 03 00");
  for (QLabel* l : {w->LabelLink, w->Labelinitial, w->LabelMid, w->LabelInvalid, w->LabelRetrain})
    EXPECT_FALSE(l->isEnabled()) << l->objectName().toStdString();
  for (std::size_t k : {5u, 6u, 7u, 8u, 11u}) {
    EXPECT_FALSE(w->LabelHangupValues[k]->isEnabled()) << k;
    EXPECT_FALSE(w->LabelHangupValues[k]->text().isEmpty()) << "a greyed value is still filled in";
  }
  for (QLabel* l :
       {w->LabelCarrier, w->LabelHearbeat, w->LabelCancel, w->LabelTraining, w->LabelDSR, w->LabelSuccessful})
    EXPECT_TRUE(l->isEnabled()) << l->objectName().toStdString();
  EXPECT_EQ(w->LabelHangupValues[11]->text(), "11");

  main.setModemName(ring_testing::kExternalModem1);
  ring_stats::ShowConnectionStatistics(main);
  EXPECT_EQ(net.requests(device).back(), "01 61 02 00");
  EXPECT_FALSE(w->LabelLink->isEnabled());

  // The internal modem, and any name that is no external modem's, enable them again.
  for (const QString& name : {ring_testing::kInternalModem, QString(), QStringLiteral("Device Globals")}) {
    main.setModemName(ring_testing::kExternalModem2);
    ring_stats::ShowConnectionStatistics(main);
    main.setModemName(name);
    ring_stats::ShowConnectionStatistics(main);
    EXPECT_EQ(net.requests(device).back(), "01 61 00 00");
    EXPECT_TRUE(w->LabelLink->isEnabled());
    EXPECT_TRUE(w->LabelRetrain->isEnabled());
    EXPECT_TRUE(w->LabelHangupValues[11]->isEnabled());
  }
}

TEST_F(ConnStatistics, AFailedReadIsReportedWithEachFamilysTextAndShowsNothing) {
  auto explicitDevice = net.addRlx("RE", RlxFamily::Explicit);
  auto lonMarkDevice = net.addRlx("RL", RlxFamily::LonMark);
  net.setFault(explicitDevice, Fault::Silent);
  net.setFault(lonMarkDevice, Fault::Failure);
  StubMainWindow explicitMain(true, explicitDevice, ring_testing::kExternalModem2);
  StubMainWindow lonMarkMain(false, lonMarkDevice, ring_testing::kExternalModem1);
  zev_testing::SimulatedWait wait;
  explicitMain.control().SetCompletionWait(&wait);

  ring_stats::ShowConnectionStatistics(explicitMain);
  ring_stats::ShowConnectionStatistics(lonMarkMain);
  ASSERT_EQ(ui().boxes().size(), 2);
  EXPECT_EQ(ui().boxes()[0].text,
            "Failed to download Connection Statistics due to data server error 'Message Timeout'.");
  EXPECT_EQ(ui().boxes()[1].text,
            "Failed to download Connection Statistics due to a data server error 'Message Failed'.");
  for (const auto& box : ui().boxes()) {
    EXPECT_EQ(box.title, "Error!");
    EXPECT_EQ(box.buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(box.icon, platform::MsgIcon::None);
  }
  EXPECT_FALSE(shown());
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
  // The rows of the failed read's modem are set all the same.
  EXPECT_FALSE(statisticsWindow()->LabelLink->isEnabled());
  EXPECT_EQ(net.requests(explicitDevice), std::vector<std::string>{"01 61 03 00"});
  EXPECT_EQ(net.requests(lonMarkDevice), std::vector<std::string>{"01 61 02 00"});
}

TEST_F(ConnStatistics, ClearSendsForTheModemAndHidesTheWindowEvenWhenItFails) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  setStatistics(device, 0, {1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0});
  StubMainWindow main(true, device, ring_testing::kInternalModem);
  MMain.ExplicitFamily = 1;
  showModalsForReal();
  ring_stats::ShowConnectionStatistics(main);
  fConnStatistics* w = statisticsWindow();
  ASSERT_TRUE(w->isVisible());
  w->CmdClear->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(net.requests(device).back(), "01 61 00 01");
  EXPECT_EQ(net.state(device).statistics[0], std::vector<std::uint8_t>(12, 0));
  EXPECT_TRUE(ui().boxes().isEmpty());
  // The values shown are not cleared.
  EXPECT_EQ(w->LabelHangupValues[1]->text(), "4");

  ring_stats::ShowConnectionStatistics(main);
  net.setFault(device, Fault::Failure);
  w->CmdClear->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(net.requests(device).back(), "01 61 00 01");
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxes()[0].text, "Failed to clear Connection Statistics due to data server error 'Message Failed'.");
  EXPECT_EQ(ui().boxes()[0].title, "RLX_Plug");
  EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
}

TEST_F(ConnStatistics, ClearWorksOutTheModemFromTheAttachedFamilysMainWindow) {
  auto lonMarkDevice = net.addRlx("RL", RlxFamily::LonMark);
  auto explicitDevice = net.addRlx("RE", RlxFamily::Explicit);
  StubMainWindow lonMarkMain(false, lonMarkDevice, ring_testing::kExternalModem1);
  StubMainWindow explicitMain(true, explicitDevice, ring_testing::kExternalModem2);

  MMain.ExplicitFamily = 0;
  ring_stats::ShowConnectionStatistics(explicitMain);
  statisticsWindow()->CmdClear->click();
  EXPECT_EQ(net.requests(lonMarkDevice), std::vector<std::string>{"01 61 02 01"});

  MMain.ExplicitFamily = 1;
  ring_stats::ShowConnectionStatistics(lonMarkMain);
  statisticsWindow()->CmdClear->click();
  EXPECT_EQ(net.requests(explicitDevice), (std::vector<std::string>{"01 61 03 00", "01 61 03 01"}));
}

TEST_F(ConnStatistics, ExitHidesTheWindowAndKeepsIt) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  setStatistics(device, 2, {5, 0, 0, 0, 0, 9});
  StubMainWindow main(true, device, ring_testing::kExternalModem1);
  showModalsForReal();
  ring_stats::ShowConnectionStatistics(main);
  fConnStatistics* w = statisticsWindow();
  ASSERT_TRUE(w->isVisible());
  w->CmdExit->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(statisticsWindow(), w);
  EXPECT_EQ(w->LabelHangupValues[0]->text(), "Link Training Timeout");
  EXPECT_EQ(w->LabelHangupValues[5]->text(), "9");
  EXPECT_EQ(net.requests(device).size(), 1u) << "Exit sends nothing";
}

TEST_F(ConnStatistics, TheWindowGoesWithTheMainWindowThatOwnsIt) {
  auto device = net.addRlx("R1", RlxFamily::Explicit);
  {
    StubMainWindow main(true, device, ring_testing::kInternalModem);
    ring_stats::ShowConnectionStatistics(main);
    EXPECT_NE(statisticsWindow(), nullptr);
  }
  EXPECT_EQ(statisticsWindow(), nullptr);
  StubMainWindow again(false, device, ring_testing::kInternalModem);
  ring_stats::ShowConnectionStatistics(again);
  ASSERT_NE(statisticsWindow(), nullptr);
  EXPECT_EQ(statisticsWindow()->parentWidget(), again.window());
}

}  // namespace
