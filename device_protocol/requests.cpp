#include "device_protocol/requests.h"

namespace device_protocol {

namespace {

QString request(const char* fixed) { return QString::fromLatin1(fixed); }

QString withSelector(const char* head, ModemSelector s, const char* tail = "") {
  return QLatin1StringView(head) + SelectorText(s) + QLatin1StringView(tail);
}

// Entry numbers in the two-digit form ("05", "12").
QString twoDigits(int n) { return QString::number(n).rightJustified(2, u'0'); }

// Each character's code followed by one blank.
QString codesEachFollowedByBlank(const QString& text) {
  QString out;
  out.reserve(text.size() * 4);
  for (QChar c : text) {
    const char16_t code = c.unicode();
    out += QString::number(code <= 255 ? int(code) : int('?'));
    out += u' ';
  }
  return out;
}

bool unitTextIsByte(const QString& unit) {
  if (unit.isEmpty() || unit.size() > 3)
    return false;
  int n = 0;
  for (QChar c : unit) {
    if (c < u'0' || c > u'9')
      return false;
    n = n * 10 + (c.unicode() - u'0');
  }
  return n <= 255;
}

QString highLow(int value) { return QString::number(value / 256) + u' ' + QString::number(value % 256); }

}  // namespace

QString DialStringCodes(const QString& dialString) {
  QString codes = codesEachFollowedByBlank(dialString);
  if (codes.isEmpty())
    return QStringLiteral("0");
  codes.chop(1);
  return codes + QLatin1StringView(" 0");
}

QString PresenceProbe() { return request("00 01 48 00"); }
QString SoftReboot() { return request("00 01 14 00"); }
QString PulseServicePin() { return request("00 01 19 00"); }
QString ReadModemSetting() { return request("00 01 73 02"); }

QString ModemStatus(ModemSelector s) { return withSelector("00 01 53 ", s); }
QString ConnectionDetails(ModemSelector s) { return withSelector("00 01 57 ", s); }
QString HangUp(ModemSelector s) { return withSelector("00 01 08 ", s); }
QString DialNumber(ModemSelector s, const QString& dialString) {
  return withSelector("00 01 32 ", s, " ") + DialStringCodes(dialString);
}

QString AutoAnswerOn(ModemSelector s) { return withSelector("00 01 65 ", s, " 01"); }
QString AutoAnswerOff(ModemSelector s) { return withSelector("00 01 65 ", s, " 00"); }
QString MuteInputAudio() { return request("00 01 34 00 01"); }
QString UnmuteInputAudio() { return request("00 01 34 00 00"); }

QString SetManualMode(ModemSelector s) { return withSelector("00 01 69 ", s, " 01 00"); }
QString SetPerpetualMode(ModemSelector s, int entry) {
  return withSelector("00 01 69 ", s, " 01 01 ") + twoDigits(entry);
}
QString ReadDialMode(ModemSelector s) { return withSelector("00 01 69 ", s, " 02"); }

QString ReadModemStatistics(ModemSelector s) { return withSelector("00 01 61 ", s, " 00"); }
QString ClearModemStatistics(ModemSelector s) { return withSelector("00 01 61 ", s, " 01"); }

QString StoreEntry(int entry, const QString& number) {
  return QLatin1StringView("00 01 66 00 01 ") + twoDigits(entry) + u' ' + codesEachFollowedByBlank(number) +
         QLatin1StringView("00");
}

QString StoreEntryResync(int entry, const QString& number) {
  return QLatin1StringView("00 01 66 00 01 ") + twoDigits(entry) + u' ' + codesEachFollowedByBlank(number) +
         QLatin1StringView(" 0");
}

QString EraseEntry(int entry) {
  return QLatin1StringView("00 01 66 00 01 ") + QString::number(entry) + QLatin1StringView(" 0");
}

QString ReadEntry(int entry) { return QLatin1StringView("00 01 66 00 02 ") + QString::number(entry); }
QString PhonebookProbe() { return request("00 01 66 00 02 00"); }

QString ReadRingMode() { return request("00 01 72 00 02"); }
QString RingStatusStart() { return request("00 01 55 00 03"); }
QString RingStatusPoll() { return request("00 01 55 00 04"); }
QString RingStatusNext() { return request("00 01 55 00 05"); }

std::optional<QString> RingModeApply(bool enable, const QString& unitText, int delayMs, int intervalMs) {
  const QString unit = unitText.trimmed();
  if (!unitTextIsByte(unit) || delayMs < 0 || delayMs > 65535 || intervalMs < 0 || intervalMs > 65535)
    return std::nullopt;
  return QLatin1StringView("00 01 72 00 01 ") + QLatin1StringView(enable ? "01" : "00") + u' ' + unit + u' ' +
         highLow(delayMs) + u' ' + highLow(intervalMs);
}

}  // namespace device_protocol
