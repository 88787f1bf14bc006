#include "device_protocol/status_tables.h"

namespace device_protocol {

namespace {

struct CodeText {
  const char* code;
  const char* text;
};

template <std::size_t N>
const char* lookup(const CodeText (&table)[N], const QString& code) {
  for (const CodeText& row : table)
    if (code == QLatin1StringView(row.code))
      return row.text;
  return nullptr;
}

constexpr CodeText kTelephoneStates[] = {
    {"0", "TEL_NOTINUSE"}, {"1", "TEL_OFFHOOK"},  {"2", "TEL_DIALING"}, {"3", "TEL_DIALCOMP"},
    {"6", "TEL_RINGING"},  {"7", "TEL_ANSWERED"}, {"9", "TEL_TALKING"}, {"10", "TEL_HANGINGUP"},
    {"12", "TEL_HOLD"},    {"20", "TEL_ERROR"},   {"255", "TEL_NUL"},
};

constexpr CodeText kConnectSpeeds[] = {
    {"0", "n/a"},    {"1", "1200/75"}, {"2", "75/1200"},          {"3", "0-300"}, {"4", "1200"},   {"5", "2400"},
    {"6", "4800"},   {"7", "7200"},    {"8", "9600 non-trellis"}, {"9", "9600"},  {"10", "12000"}, {"11", "14400"},
    {"12", "16800"}, {"13", "19200"},
};

constexpr CodeText kModulations[] = {{"0", "n/a"}, {"1", "V.32"}, {"2", "V.32 bis/terbo"}};

// Code 1 has no text on purpose: nothing is appended for it.
constexpr CodeText kErrorCorrections[] = {
    {"0", "n/a"}, {"2", "V.42"}, {"3", "V.42/V.42bis"}, {"4", "MNP"}, {"5", "MNP/MNP5"},
};

constexpr CodeText kHangupCauses[] = {
    {"1", "Carrier Lost"},
    {"2", "Heartbeat Lost"},
    {"3", "User Call Cancel"},
    {"4", "Training Timeout"},
    {"5", "Link Training Timeout"},
    {"6", "No Initial Dialtone"},
    {"7", "No Mid-String Dialtone"},
    {"8", "Invalid Dialstring Character"},
    {"9", "DSR Lost"},
};

template <std::size_t N>
QString textOf(const CodeText (&table)[N], const QString& code) {
  const char* text = lookup(table, code);
  return text ? QString::fromLatin1(text) : QString();
}

}  // namespace

std::optional<QString> TelephoneState(const QString& code) {
  if (const char* name = lookup(kTelephoneStates, code))
    return QString::fromLatin1(name);
  return std::nullopt;
}

QString ConnectSpeedTable(const QString& code) { return textOf(kConnectSpeeds, code); }
QString ModulationText(const QString& code) { return textOf(kModulations, code); }
QString ErrorCorrectionText(const QString& code) { return textOf(kErrorCorrections, code); }

QString ConnectionLine(const QString& speed, const QString& modulation, const QString& errorCorrection) {
  QString line = QStringLiteral("Connect");
  for (const QString& text :
       {ConnectSpeedTable(speed), ModulationText(modulation), ErrorCorrectionText(errorCorrection)}) {
    if (!text.isEmpty())
      line += u' ' + text;
  }
  return line;
}

QString ConnectionLine(const ReplyValues& values) {
  return ConnectionLine(values.value(3), values.value(4), values.value(5));
}

QString HangupCauseText(const QString& code) { return textOf(kHangupCauses, code); }

ConnectionStatistics StatisticsFromReply(const ReplyValues& values) {
  ConnectionStatistics s;
  s.lastCause = HangupCauseText(values.value(3));
  for (int k = 0; k < 9; ++k)
    s.hangups[std::size_t(k)] = values.value(4 + k);
  s.successfulConnections = values.value(13);
  s.retrainAttempts = values.value(14);
  return s;
}

}  // namespace device_protocol
