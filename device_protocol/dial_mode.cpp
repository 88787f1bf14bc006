#include "device_protocol/dial_mode.h"

namespace device_protocol {

QString DialModeManualText() { return QStringLiteral("MANUAL,0,0,0,0,0,0,0,0,0,0"); }

QString DialModeManualEntryText(int entry) {
  return QLatin1StringView("MANUAL,") + QString::number(entry) + QLatin1StringView(",0,0,0,0,0,0,0,0,0");
}

QString DialModePerpetualText(int entry) {
  return QLatin1StringView("PERPETUAL,") + QString::number(entry) + QLatin1StringView(",0,0,0,0,0,0,0,0,0");
}

QString DialModeDodText(const QString& firstEntry, const QString& lastEntry, const QString& hangTime,
                        const QString& retries) {
  return QLatin1StringView("DOD,") + firstEntry + u',' + lastEntry + u',' + hangTime + u',' + retries +
         QLatin1StringView(",0,0,0,0,0,0");
}

DialModeSetting ParseDialModeText(const QString& text) {
  DialModeSetting s;
  if (text.startsWith(QLatin1StringView("MANUAL")))
    s.mode = DialMode::Manual;
  else if (text.startsWith(QLatin1StringView("DOD")))
    s.mode = DialMode::DialOnDemand;
  else
    s.mode = DialMode::Perpetual;

  const QStringList fields = text.split(u',');
  for (std::size_t k = 0; k < s.dodFields.size(); ++k)
    s.dodFields[k] = fields.value(qsizetype(k) + 1);
  s.entry = NumericPrefixInt(fields.value(1));
  return s;
}

std::optional<ExplicitDialMode> ExplicitDialModeFromReply(const QString& reply) {
  if (IsFailureReply(reply))
    return std::nullopt;
  const ReplyValues values = SplitReplyText(reply);
  if (values.size() < 5)
    return std::nullopt;
  ExplicitDialMode m;
  m.perpetual = values.value(4) != QLatin1StringView("0");
  m.entry = values.value(5);
  return m;
}

}  // namespace device_protocol
