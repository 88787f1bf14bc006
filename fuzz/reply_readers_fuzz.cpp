// The readers that pick values out of replies and property texts: ring
// status entries, ring mode parameters, dial modes, statistics and the
// connection line. None may fail on any text, and each keeps its shape.

#include <cstdint>

#include "device_protocol/dial_mode.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/ring_mode.h"
#include "device_protocol/status_tables.h"
#include "fuzz/fuzz_check.h"

using namespace device_protocol;

namespace {
bool isUpperHex(QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); }
bool isDecimal(const QString& s) {
  if (s.isEmpty())
    return false;
  for (QChar c : s)
    if (c < u'0' || c > u'9')
      return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  const ReplyValues values = SplitReplyText(text);

  const RingStatusEntry entry = RingStatusEntryFromReply(values);
  FUZZ_CHECK(entry.NeuronIdText.size() == 12);
  for (QChar c : entry.NeuronIdText)
    FUZZ_CHECK(isUpperHex(c));
  FUZZ_CHECK(entry.UnitId >= 0 && entry.UnitId <= 999);
  FUZZ_CHECK(entry.OpenEndCountA >= 0 && entry.OpenEndCountB >= 0);
  if (IsLastRingStatusReply(values))
    FUZZ_CHECK(entry.UnitId == 255);

  const RingModeParameters fromReply = RingModeFromReply(text);
  FUZZ_CHECK(isDecimal(fromReply.propagationDelay) && fromReply.propagationDelay != QLatin1StringView("0"));
  FUZZ_CHECK(isDecimal(fromReply.testInterval) && fromReply.testInterval != QLatin1StringView("0"));
  FUZZ_CHECK(fromReply.unitId.isEmpty() || fromReply.unitId.size() >= 2);

  const RingModeParameters fromProperty = RingModeFromProperty(text);
  FUZZ_CHECK(fromProperty.unitId == fromProperty.unitId.trimmed());
  const auto parts = SplitRingModeProperty(text);
  FUZZ_CHECK(parts[0].size() + parts[1].size() + parts[2].size() + parts[3].size() <= text.size());
  // Writing the parameters back and reading them again keeps them.
  if (!fromProperty.unitId.contains(u',') && !fromProperty.propagationDelay.contains(u',') &&
      !fromProperty.testInterval.contains(u',')) {
    const QString back = RingModePropertyText(fromProperty.enabled, fromProperty.unitId, fromProperty.propagationDelay,
                                              fromProperty.testInterval);
    FUZZ_CHECK(RingModeFromProperty(back) == fromProperty);
  }

  const DialModeSetting dial = ParseDialModeText(text);
  FUZZ_CHECK(dial.entry >= 0);
  if (text.startsWith(QLatin1StringView("MANUAL")))
    FUZZ_CHECK(dial.mode == DialMode::Manual);
  FUZZ_CHECK(ParseDialModeText(DialModePerpetualText(dial.entry)).entry == dial.entry);

  if (const auto explicitMode = ExplicitDialModeFromReply(text)) {
    FUZZ_CHECK(values.size() >= 5);
    FUZZ_CHECK(explicitMode->perpetual == (values.value(4) != QLatin1StringView("0")));
  }

  const ConnectionStatistics stats = StatisticsFromReply(values);
  FUZZ_CHECK(stats.lastCause.isEmpty() == HangupCauseText(values.value(3)).isEmpty());
  FUZZ_CHECK(ConnectionLine(values).startsWith(QLatin1StringView("Connect")));
  if (const auto state = TelephoneState(values.value(3)))
    FUZZ_CHECK(state->startsWith(QLatin1StringView("TEL_")));
  return 0;
}
