// The ring status query of fRingMode against simulated rings.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "ring_stats/fringmode.h"
#include "ring_stats/testing/ring_fixture.h"

namespace {

using lnssim::RlxFamily;
using ring_testing::Fault;
using ring_testing::RingLayout;
using ring_testing::SimRingNetwork;
using ring_testing::StubMainWindow;

const std::string kStart = "01 55 00 03";
const std::string kPoll = "01 55 00 04";
const std::string kNext = "01 55 00 05";

class RingQuery : public ring_testing::RingStatsTest {
 protected:
  // R1 ... Rn of the family in the database, in a ring with unit IDs 1 ... n.
  void makeRing(int n, RlxFamily family = RlxFamily::Explicit) {
    units = net.addRlxs(n, family, QStringLiteral("R"));
    for (int i = 0; i < n; ++i)
      ring.members.push_back(SimRingNetwork::member(units[i], std::uint8_t(i + 1)));
  }
  // Opens the ring mode window on R1 from its family's main window and runs a query.
  fRingMode* openOnFirst(bool explicitFamily = true) {
    net.devices().setRing(net.dataServer(), ring);
    main = std::make_unique<StubMainWindow>(explicitFamily, units[0], ring_testing::kInternalModem);
    MMain.ExplicitFamily = explicitFamily ? 1 : 0;
    ui().onModal([](QDialog* d) {
      d->show();
      return 0;
    });
    ring_stats::OpenRingMode(*main);
    ui().clear();
    return ringWindow();
  }
  void query() { ringWindow()->QueryRingStatus->click(); }
  QStringList boxTitles() {
    QStringList out;
    for (const auto& b : ui().boxes())
      out << b.title;
    return out;
  }
  void expectQueryOver() {
    fRingMode* w = ringWindow();
    EXPECT_FALSE(w->QueryBusy);
    EXPECT_TRUE(w->CmdApply->isEnabled());
    EXPECT_TRUE(w->QueryRingStatus->isEnabled());
    EXPECT_EQ(w->PBar->value(), w->PBar->maximum());
    EXPECT_EQ(ui().pointer(), platform::Pointer::Default);
  }
  void TearDown() override {
    main.reset();
    RingStatsTest::TearDown();
  }

  QList<lns::AppDevicePtr> units;
  RingLayout ring;
  std::unique_ptr<StubMainWindow> main;
};

TEST_F(RingQuery, AClosedRingIsReportedClosedAfterTheRingTestEnds) {
  makeRing(4);
  ring.runningPolls = 2;
  fRingMode* w = openOnFirst();
  QList<bool> busyDuringPauses;
  onPause = [&](fRingMode& window, int) {
    busyDuringPauses << (window.QueryBusy && !window.CmdApply->isEnabled() && !window.QueryRingStatus->isEnabled());
  };
  query();
  EXPECT_EQ(ui().boxTexts(), QStringList({"Ring is Closed!"}));
  EXPECT_EQ(boxTitles(), QStringList({"Ring Status"}));
  EXPECT_EQ(ui().beeps(), 0);
  // One start, a poll a second until the test is over, then the three other
  // units and the end mark.
  EXPECT_EQ(net.requests(units[0]),
            (std::vector<std::string>{"01 72 00 02", kStart, kPoll, kPoll, kPoll, kNext, kNext, kNext, kNext}));
  EXPECT_EQ(pauses, QList<int>({1000, 1000, 1000}));
  EXPECT_EQ(clock.nowMs(), 3000);
  EXPECT_EQ(busyDuringPauses, QList<bool>({true, true, true}));
  EXPECT_EQ(w->PBar->maximum(), 30);
  expectQueryOver();
  EXPECT_TRUE(ui().pointerHistory().contains(platform::Pointer::Hourglass));
  // The entries by position, and the last reply in ListData.
  for (int p = 1; p <= 4; ++p) {
    EXPECT_EQ(w->RingEntries[std::size_t(p)].UnitId, p);
    EXPECT_EQ(w->RingEntries[std::size_t(p)].NeuronIdText, units[p - 1]->NeuronId());
  }
  EXPECT_EQ(w->RingEntries[5].UnitId, 255) << "the end mark is stored after the units";
  ASSERT_GE(w->ListData->count(), 5);
  EXPECT_EQ(w->ListData->item(4)->text(), "255");
}

TEST_F(RingQuery, AnOpenRingIsReportedBetweenTheUnitsWithTheHighestCounts) {
  makeRing(5);
  ring.openAfter = 2;  // the link from R3 to R4 is broken
  openOnFirst();
  query();
  EXPECT_EQ(ui().boxTexts(), QStringList({"Ring is Open between 'R3' and 'R4'"}));
  EXPECT_EQ(boxTitles(), QStringList({"Ring Status"}));
  expectQueryOver();
}

TEST_F(RingQuery, AnOpenRingWithoutCountersNamesTheFallBackUnitForBothEnds) {
  makeRing(4);
  ring.openAfter = 0;
  ring.counters = false;
  ring.fallbackUnit = 3;
  openOnFirst();
  query();
  EXPECT_EQ(ui().boxTexts(), QStringList({"Ring is Open between 'R3' and 'R3'"}));
}

TEST_F(RingQuery, ADeviceNotInRingModeEndsTheQueryAtOnce) {
  makeRing(3);
  ring.members[0].inRingMode = false;
  ring.runningPolls = 4;
  openOnFirst();
  query();
  EXPECT_EQ(ui().boxTexts(), QStringList({"'R1' is Not in Ring Mode"}));
  EXPECT_EQ(boxTitles(), QStringList({"Error"}));
  EXPECT_EQ(ui().beeps(), 1);
  EXPECT_EQ(net.requestCount(units[0], kPoll), 1);
  EXPECT_EQ(net.requestCount(units[0], kNext), 0);
  expectQueryOver();

  // A device outside every ring says the same.
  ring.members.erase(ring.members.begin());
  net.devices().setRing(net.dataServer(), ring);
  query();
  EXPECT_EQ(ui().boxTexts().last(), "'R1' is Not in Ring Mode");
}

TEST_F(RingQuery, UnitsTheDatabaseDoesNotKnowAndDevicesThatDidNotReplyAreReported) {
  makeRing(3);
  auto outside = net.addRlx("R-outside", RlxFamily::Explicit);  // answers, but is in no ring
  auto absent = net.addAbsentRlx("R-absent");                   // nobody answers for it
  ring.members.push_back(ring_testing::RingMember{ring_testing::NeuronIdFromText("0102030405AA"), 4, true});
  openOnFirst();
  query();
  EXPECT_EQ(ui().boxTexts(),
            QStringList({"RLX ID '0102030405AA' is not represented in the LNS database",
                         "RLX 'R-outside' did not respond", "RLX 'R-absent' did not respond", "Ring is Closed!"}));
  EXPECT_EQ(boxTitles(), QStringList(4, "Ring Status"));
  EXPECT_EQ(ui().beeps(), 3);
  EXPECT_TRUE(net.requests(outside).empty());
  expectQueryOver();
}

TEST_F(RingQuery, NeuronIdsAreComparedInTheDatabasesUpperCaseHexadecimal) {
  units << net.addRlx("Alpha", RlxFamily::Explicit, "00A1B2C3D4EF");
  units << net.addRlx("Beta", RlxFamily::Explicit, "FEDCBA987654");
  ring.members = {SimRingNetwork::member(units[0], 1), SimRingNetwork::member(units[1], 2)};
  ring.openAfter = 1;
  openOnFirst();
  query();
  EXPECT_EQ(ringWindow()->RingEntries[1].NeuronIdText, "00A1B2C3D4EF");
  EXPECT_EQ(ui().boxTexts(), QStringList({"Ring is Open between 'Beta' and 'Alpha'"}));
}

TEST_F(RingQuery, AFirstPollWithTheEndMarkAsksForNoOtherUnit) {
  makeRing(1);
  ring.members[0].unitId = 255;
  openOnFirst();
  query();
  EXPECT_EQ(net.requestCount(units[0], kNext), 0);
  EXPECT_EQ(net.requestCount(units[0], kPoll), 1);
  // No entry is stored before the end mark, so no device counts as replied.
  EXPECT_EQ(ui().boxTexts(), QStringList({"RLX 'R1' did not respond", "Ring is Closed!"}));
  // A subsystem of one device still gives the bar a range.
  EXPECT_EQ(ringWindow()->PBar->maximum(), 1);
  expectQueryOver();
}

TEST_F(RingQuery, CancelDuringAPauseEndsTheQueryAndASecondQueryRunsNormally) {
  makeRing(3);
  ring.runningPolls = 5;
  fRingMode* w = openOnFirst();
  onPause = [](fRingMode& window, int n) {
    if (n == 2)
      window.CmdCancel->click();
  };
  query();
  EXPECT_TRUE(w->CancelRequested);
  EXPECT_TRUE(ui().boxes().isEmpty());
  EXPECT_EQ(net.requestCount(units[0], kPoll), 2);
  EXPECT_EQ(net.requestCount(units[0], kNext), 0);
  EXPECT_EQ(pauses.size(), 2);
  expectQueryOver();
  EXPECT_EQ(ringWindow(), w);
  EXPECT_TRUE(w->isVisible()) << "Cancel during a query leaves the window open";

  onPause = nullptr;
  query();
  EXPECT_FALSE(w->CancelRequested);
  EXPECT_EQ(ui().boxTexts(), QStringList({"Ring is Closed!"}));
  EXPECT_EQ(net.requestCount(units[0], kPoll), 2 + 6);
  EXPECT_EQ(net.requestCount(units[0], kNext), 3);
}

TEST_F(RingQuery, ClosingTheWindowDuringAQueryCancelsTheQueryInstead) {
  makeRing(3);
  ring.runningPolls = 3;
  fRingMode* w = openOnFirst();
  onPause = [](fRingMode& window, int) { window.close(); };
  query();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(net.requestCount(units[0], kPoll), 1);
  EXPECT_TRUE(ui().boxes().isEmpty());
  expectQueryOver();
}

TEST_F(RingQuery, CancelWithoutAQueryClosesTheWindow) {
  makeRing(2);
  openOnFirst();
  fRingMode* w = ringWindow();
  ASSERT_TRUE(w->isVisible());
  w->CmdCancel->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_FALSE(w->CancelRequested);
}

TEST_F(RingQuery, TheProgressBarNeverPassesItsMaximum) {
  makeRing(2);
  ring.runningPolls = 15;
  fRingMode* w = openOnFirst();
  QList<int> values;
  onPause = [&values](fRingMode& window, int) { values << window.PBar->value(); };
  QObject::connect(w->PBar, &QProgressBar::valueChanged, w, [w](int v) { EXPECT_LE(v, w->PBar->maximum()); });
  query();
  EXPECT_EQ(w->PBar->maximum(), 10);
  ASSERT_EQ(values.size(), 16);
  EXPECT_EQ(values.front(), 0);
  EXPECT_EQ(values[10], 10);
  EXPECT_EQ(values.back(), 10);
  EXPECT_EQ(ui().boxTexts(), QStringList({"Ring is Closed!"}));
}

TEST_F(RingQuery, AFailedStepIsReportedInsteadOfReadAsAReply) {
  makeRing(3);
  openOnFirst();
  net.setFault(units[0], Fault::Failure);
  query();
  EXPECT_EQ(ui().boxTexts(), QStringList({"Failed to get Ring Status due to data server error 'Message Failed'."}));
  EXPECT_EQ(boxTitles(), QStringList({"Error!"}));
  EXPECT_EQ(net.requestCount(units[0], kNext), 0);
  expectQueryOver();
}

TEST_F(RingQuery, ADatabaseErrorIsReportedWithItsTextAndNothingIsSent) {
  makeRing(2);
  fRingMode* w = openOnFirst();
  const qint32 handle = units[0]->Handle();
  net.system()->Close();
  query();
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxes()[0].title, "Error!");
  EXPECT_EQ(ui().boxes()[0].text, "The system is not open");
  EXPECT_EQ(net.devices().requestCount(net.dataServer(), handle, kStart), 0);
  EXPECT_FALSE(w->QueryBusy);
  EXPECT_TRUE(w->QueryRingStatus->isEnabled());
}

TEST_F(RingQuery, ARingLongerThanTheTableIsReportedNotReadPastItsEnd) {
  makeRing(1);
  for (int i = 0; i < 65; ++i) {
    ring_testing::NeuronId id{0xAB, 0, 0, 0, 0, std::uint8_t(i)};
    ring.members.push_back({id, std::uint8_t(2 + (i % 60)), true});
  }
  openOnFirst();
  query();
  EXPECT_EQ(ui().boxTexts(), QStringList({"More than 64 RLX units replied; the Ring Status cannot be shown."}));
  // Positions 2 to 64 hold 63 of them; the next one has no place.
  EXPECT_EQ(net.requestCount(units[0], kNext), 64);
  expectQueryOver();
}

TEST_F(RingQuery, ARingOfSixtyFourUnitsFitsTheTable) {
  makeRing(64);
  ring.openAfter = 40;
  openOnFirst();
  query();
  ASSERT_EQ(ui().boxes().size(), 1);
  EXPECT_EQ(ui().boxTexts(), QStringList({"Ring is Open between 'R41' and 'R42'"}));
  EXPECT_EQ(net.requestCount(units[0], kNext), 64);
  EXPECT_EQ(ringWindow()->RingEntries[64].NeuronIdText, units[63]->NeuronId());
}

TEST_F(RingQuery, AnEndUnitAboveSixtyFourIsReportedNotLookedUp) {
  makeRing(3);
  ring.openAfter = 1;
  ring.counters = false;
  ring.fallbackUnit = 70;
  openOnFirst();
  query();
  EXPECT_EQ(ui().boxTexts(),
            QStringList({"Ring is Open, but the RLX reported the end unit ID 70, which is outside 0 - 64."}));
  expectQueryOver();
}

TEST_F(RingQuery, TheLonMarkFamilyQueriesThroughItsMainWindowsControl) {
  makeRing(3, RlxFamily::LonMark);
  openOnFirst(false);
  query();
  EXPECT_EQ(ui().boxTexts(), QStringList({"Ring is Closed!"}));
  EXPECT_EQ(net.requests(units[0]), (std::vector<std::string>{kStart, kPoll, kNext, kNext, kNext}));
}

TEST_F(RingQuery, AQueryAfterASmallerRingForgetsTheEntriesOfTheLargerOne) {
  makeRing(4);
  fRingMode* w = openOnFirst();
  query();
  ASSERT_EQ(w->RingEntries[4].NeuronIdText, units[3]->NeuronId());
  ring.members.resize(2);
  net.devices().setRing(net.dataServer(), ring);
  query();
  EXPECT_EQ(w->RingEntries[4], device_protocol::RingStatusEntry{});
  EXPECT_EQ(ui().boxTexts().mid(1),
            QStringList({"RLX 'R3' did not respond", "RLX 'R4' did not respond", "Ring is Closed!"}));
}

}  // namespace
