#include "device_protocol/ring_mode.h"

namespace device_protocol {

namespace {

// The whole-number value of a trimmed reply value (values have at most three
// characters, so this stays below 1000).
int number(const QString& value) { return NumericPrefixInt(value.trimmed()); }

QString padded(const QString& value) { return value.size() == 1 ? u'0' + value : value; }

QString orDefault(const QString& value, const char* fallback) {
  return value == QLatin1StringView("0") ? QString::fromLatin1(fallback) : value;
}

}  // namespace

RingModeParameters RingModeFromReply(const QString& reply) {
  const ReplyValues values = SplitReplyText(reply);
  RingModeParameters p;
  p.enabled = padded(values.value(4)) == QLatin1StringView("01");
  p.unitId = padded(values.value(5));
  const int delay = number(values.value(6)) * 256 + number(values.value(7));
  const int interval = number(values.value(8)) * 256 + number(values.value(9));
  p.propagationDelay = delay == 0 ? QStringLiteral("2000") : QString::number(delay);
  p.testInterval = interval == 0 ? QStringLiteral("10000") : QString::number(interval);
  return p;
}

std::array<QString, 4> SplitRingModeProperty(const QString& text) {
  std::array<QString, 4> values;
  qsizetype start = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    const qsizetype comma = text.indexOf(u',', start);
    if (comma < 0) {
      values[k] = text.mid(start);
      return values;
    }
    values[k] = text.mid(start, comma - start);
    start = comma + 1;
  }
  values[3] = text.mid(start);
  return values;
}

RingModeParameters RingModeFromProperty(const QString& text) {
  const std::array<QString, 4> v = SplitRingModeProperty(text);
  RingModeParameters p;
  p.enabled = v[0].trimmed() != QLatin1StringView("Disable");
  p.unitId = v[1].trimmed();
  p.propagationDelay = orDefault(v[2].trimmed(), "2000");
  p.testInterval = orDefault(v[3].trimmed(), "10000");
  return p;
}

QString RingModePropertyText(bool enabled, const QString& unitId, const QString& propagationDelay,
                             const QString& testInterval) {
  return QLatin1StringView(enabled ? "Enable," : "Disable,") + unitId + u',' + propagationDelay + u',' + testInterval;
}

RingStatusEntry RingStatusEntryFromReply(const ReplyValues& values) {
  RingStatusEntry e;
  e.UnitId = number(values.value(4));
  e.NeuronIdText = NeuronIdText(values);
  e.FallbackEndUnit = number(values.value(11));
  e.InRingMode = number(values.value(12)) != 0;
  e.TestRunning = number(values.value(13)) != 0;
  e.RingClosed = number(values.value(14)) != 0;
  e.OpenEndCountA = number(values.value(15));
  e.OpenEndCountB = number(values.value(16));
  return e;
}

bool IsLastRingStatusReply(const ReplyValues& values) { return values.value(4) == QLatin1StringView("255"); }

QString NeuronIdText(const ReplyValues& values) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  QString text;
  text.reserve(12);
  for (int k = 5; k <= 10; ++k) {
    const int byte = number(values.value(k)) & 0xFF;
    text += QLatin1Char(kHex[byte >> 4]);
    text += QLatin1Char(kHex[byte & 0x0F]);
  }
  return text;
}

}  // namespace device_protocol
