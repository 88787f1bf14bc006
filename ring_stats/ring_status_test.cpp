#include "ring_stats/ring_status.h"

#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

namespace {

using device_protocol::RingStatusEntry;
using ring_stats::RingDeviceInfo;
using ring_stats::RingEnds;
using ring_stats::RingEntryTable;
using ring_stats::RingReport;

RingStatusEntry entry(int unit, const char* id, int countA = 0, int countB = 0) {
  RingStatusEntry e;
  e.UnitId = unit;
  e.NeuronIdText = QString::fromLatin1(id);
  e.InRingMode = true;
  e.OpenEndCountA = countA;
  e.OpenEndCountB = countB;
  return e;
}

QStringList texts(const QList<ring_stats::RingMessage>& messages) {
  QStringList out;
  for (const auto& m : messages)
    out << m.text;
  return out;
}

const QList<RingDeviceInfo> kDevices = {{"North", "00000000000A"}, {"South", "00000000000B"}, {"Twin", "00000000000A"}};

TEST(NameByNeuronId, FirstDeviceWithTheIdOrTheTextItself) {
  EXPECT_EQ(ring_stats::NameByNeuronId(kDevices, "00000000000A"), "North");
  EXPECT_EQ(ring_stats::NameByNeuronId(kDevices, "00000000000B"), "South");
  EXPECT_EQ(ring_stats::NameByNeuronId(kDevices, "00000000000a"), "00000000000a") << "case-sensitive";
  EXPECT_EQ(ring_stats::NameByNeuronId({}, "X"), "X");
}

TEST(RingEnds, TheFirstReplyWithTheHighestCountOfEachCounterWins) {
  RingEnds ends = RingEnds::From(entry(1, "", 2, 0));
  ends.Take(entry(2, "", 5, 1));
  ends.Take(entry(3, "", 5, 3));  // equal to the highest: not taken
  ends.Take(entry(4, "", 1, 3));
  EXPECT_EQ(ends.unitA, 2);
  EXPECT_EQ(ends.maxA, 5);
  EXPECT_EQ(ends.unitB, 3);
  EXPECT_EQ(ends.maxB, 3);
}

TEST(RingReport, ChecksAgainstTheDatabaseThenGivesTheRingState) {
  RingEntryTable entries{};
  entries[1] = entry(1, "00000000000A");
  entries[2] = entry(2, "0000000000FF");
  entries[3] = entry(255, "00000000000B");  // position count: the end mark, not a reply of a unit
  entries[1].RingClosed = true;
  const auto messages = RingReport(entries, 3, RingEnds::From(entries[1]), kDevices);
  EXPECT_EQ(texts(messages), QStringList({"RLX ID '0000000000FF' is not represented in the LNS database",
                                          "RLX 'South' did not respond", "Ring is Closed!"}));
  for (const auto& m : messages)
    EXPECT_EQ(m.title, "Ring Status");
  EXPECT_TRUE(messages[0].beep);
  EXPECT_TRUE(messages[1].beep);
  EXPECT_FALSE(messages[2].beep);
}

TEST(RingReport, OpenRingEndsComeFromTheCountersOrTheFallBackUnit) {
  RingEntryTable entries{};
  entries[1] = entry(1, "00000000000A", 1, 0);
  entries[2] = entry(2, "00000000000B", 3, 0);
  entries[1].FallbackEndUnit = 1;
  RingEnds ends = RingEnds::From(entries[1]);
  ends.Take(entries[2]);
  EXPECT_EQ(texts(RingReport(entries, 3, ends, kDevices)), QStringList({"Ring is Open between 'South' and 'North'"}));

  // An end unit without an entry in this query has no name.
  entries[1].FallbackEndUnit = 9;
  EXPECT_EQ(texts(RingReport(entries, 3, ends, kDevices)).last(), "Ring is Open between 'South' and ''");

  entries[1].FallbackEndUnit = 65;
  EXPECT_EQ(texts(RingReport(entries, 3, ends, kDevices)).last(),
            "Ring is Open, but the RLX reported the end unit ID 65, which is outside 0 - 64.");
  entries[1].FallbackEndUnit = 64;
  EXPECT_EQ(texts(RingReport(entries, 3, ends, kDevices)).last(), "Ring is Open between 'South' and ''");
}

TEST(RingReport, NotInRingModeNamesTheDeviceInQuotes) {
  const auto m = ring_stats::NotInRingModeMessage("North");
  EXPECT_EQ(m.text, "'North' is Not in Ring Mode");
  EXPECT_EQ(m.title, "Error");
  EXPECT_TRUE(m.beep);
}

}  // namespace
