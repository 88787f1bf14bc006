#pragma once
// The reading of a ring status query: finding names by Neuron ID, tracking
// the two ends of an open ring from the devices' counters, and the messages
// the operator gets at the end. The window (fringmode.cpp) runs the messages;
// everything here is a function of what the device and the database said.

#include <QList>
#include <QString>
#include <array>

#include "device_protocol/ring_mode.h"
#include "host/lns/lns.h"

namespace ring_stats {

// RingEntries has positions 0 to 64; a unit ID is also the position of its
// entry when the ends of an open ring are looked up.
inline constexpr int kRingPositions = 65;
inline constexpr int kLastRingPosition = kRingPositions - 1;

using RingEntryTable = std::array<device_protocol::RingStatusEntry, kRingPositions>;

// A device of the queried device's subsystem: its "Name" and "NeuronId".
struct RingDeviceInfo {
  QString name;
  QString neuronId;
};

// The devices of the collection, in its order (read once per query, so the
// comparisons do not go back to the database for every reply).
QList<RingDeviceInfo> ReadRingDevices(lns::AppDevices& devices);

// The "Name" of the first device whose "NeuronId" equals text; the text
// itself when none does.
QString NameByNeuronId(const QList<RingDeviceInfo>& devices, const QString& text);

// The two ends of an open ring: for each counter, the unit ID of the reply
// with the highest count (the first of equal ones), starting from the
// queried device's own reply.
struct RingEnds {
  int maxA = 0;
  int unitA = 0;
  int maxB = 0;
  int unitB = 0;

  static RingEnds From(const device_protocol::RingStatusEntry& first);
  void Take(const device_protocol::RingStatusEntry& entry);
};

struct RingMessage {
  QString text;
  QString title;
  bool beep = false;
};

// "'" + name + "' is Not in Ring Mode" (title "Error").
RingMessage NotInRingModeMessage(const QString& name);

// The messages at the end of a query whose entries fill positions 1 to
// count - 1, in order:
//  - for each entry whose Neuron ID the database does not know:
//    "RLX ID '<id>' is not represented in the LNS database";
//  - for each device of the database that no entry names:
//    "RLX '<name>' did not respond";
//  - "Ring is Closed!" when the queried device reports the ring closed, else
//    "Ring is Open between '<end A>' and '<end B>'", where an end whose
//    counter stayed 0 is the queried device's fall-back unit and each end is
//    named by the Neuron ID of the entry at the position of its unit ID. An
//    end unit ID above 64 names no position: that is reported instead.
// All titled "Ring Status"; the first two kinds beep.
QList<RingMessage> RingReport(const RingEntryTable& entries, int count, const RingEnds& ends,
                              const QList<RingDeviceInfo>& devices);

}  // namespace ring_stats
