#include "ring_status.h"

namespace ring_stats {

namespace {

const QString kRingStatusTitle = QStringLiteral("Ring Status");

RingMessage ringStatus(const QString& text, bool beep) { return {text, kRingStatusTitle, beep}; }

}  // namespace

QList<RingDeviceInfo> ReadRingDevices(lns::AppDevices& devices) {
  QList<RingDeviceInfo> out;
  const qint32 count = devices.Count();
  out.reserve(count);
  for (qint32 i = 1; i <= count; ++i) {
    const lns::AppDevicePtr device = devices.Item(i);
    out.append({device->Name(), device->NeuronId()});
  }
  return out;
}

QString NameByNeuronId(const QList<RingDeviceInfo>& devices, const QString& text) {
  for (const RingDeviceInfo& d : devices)
    if (d.neuronId == text)
      return d.name;
  return text;
}

RingEnds RingEnds::From(const device_protocol::RingStatusEntry& first) {
  return {first.OpenEndCountA, first.UnitId, first.OpenEndCountB, first.UnitId};
}

void RingEnds::Take(const device_protocol::RingStatusEntry& entry) {
  if (entry.OpenEndCountA > maxA) {
    maxA = entry.OpenEndCountA;
    unitA = entry.UnitId;
  }
  if (entry.OpenEndCountB > maxB) {
    maxB = entry.OpenEndCountB;
    unitB = entry.UnitId;
  }
}

RingMessage NotInRingModeMessage(const QString& name) {
  return {QStringLiteral("'") + name + QStringLiteral("' is Not in Ring Mode"), QStringLiteral("Error"), true};
}

QList<RingMessage> RingReport(const RingEntryTable& entries, int count, const RingEnds& ends,
                              const QList<RingDeviceInfo>& devices) {
  QList<RingMessage> messages;
  const int last = qMin(count - 1, kLastRingPosition);

  for (int p = 1; p <= last; ++p) {
    const QString& id = entries[std::size_t(p)].NeuronIdText;
    if (NameByNeuronId(devices, id) == id)
      messages << ringStatus(
          QStringLiteral("RLX ID '") + id + QStringLiteral("' is not represented in the LNS database"), true);
  }

  for (const RingDeviceInfo& device : devices) {
    bool replied = false;
    for (int p = 1; p <= last && !replied; ++p)
      replied = entries[std::size_t(p)].NeuronIdText == device.neuronId;
    if (!replied)
      messages << ringStatus(QStringLiteral("RLX '") + device.name + QStringLiteral("' did not respond"), true);
  }

  const device_protocol::RingStatusEntry& first = entries[1];
  if (first.RingClosed) {
    messages << ringStatus(QStringLiteral("Ring is Closed!"), false);
    return messages;
  }
  const int unitA = ends.maxA == 0 ? first.FallbackEndUnit : ends.unitA;
  const int unitB = ends.maxB == 0 ? first.FallbackEndUnit : ends.unitB;
  for (int unit : {unitA, unitB}) {
    if (unit < 0 || unit > kLastRingPosition) {
      messages << ringStatus(QStringLiteral("Ring is Open, but the RLX reported the end unit ID ") +
                                 QString::number(unit) + QStringLiteral(", which is outside 0 - 64."),
                             false);
      return messages;
    }
  }
  const QString nameA = NameByNeuronId(devices, entries[std::size_t(unitA)].NeuronIdText);
  const QString nameB = NameByNeuronId(devices, entries[std::size_t(unitB)].NeuronIdText);
  messages << ringStatus(
      QStringLiteral("Ring is Open between '") + nameA + QStringLiteral("' and '") + nameB + QStringLiteral("'"),
      false);
  return messages;
}

}  // namespace ring_stats
