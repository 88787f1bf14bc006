#include "rlx_state.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>

namespace rlxsim {

namespace {

constexpr std::pair<int, const char*> kStateNames[] = {
    {tel::kNotInUse, "TEL_NOTINUSE"}, {tel::kOffHook, "TEL_OFFHOOK"},
    {tel::kDialing, "TEL_DIALING"},   {tel::kDialComplete, "TEL_DIALCOMP"},
    {tel::kRinging, "TEL_RINGING"},   {tel::kAnswered, "TEL_ANSWERED"},
    {tel::kTalking, "TEL_TALKING"},   {tel::kHangingUp, "TEL_HANGINGUP"},
    {tel::kHold, "TEL_HOLD"},         {tel::kError, "TEL_ERROR"},
    {tel::kNull, "TEL_NUL"},
};

constexpr const char* kCauseTexts[] = {"Carrier Lost",
                                       "Heartbeat Lost",
                                       "User Call Cancel",
                                       "Training Timeout",
                                       "Link Training Timeout",
                                       "No Initial Dialtone",
                                       "No Mid-String Dialtone",
                                       "Invalid Dialstring Character",
                                       "DSR Lost"};
constexpr const char* kCauseNames[] = {"carrier-lost",           "heartbeat-lost",        "user-call-cancel",
                                       "training-timeout",       "link-training-timeout", "no-dialtone",
                                       "no-mid-string-dialtone", "invalid-character",     "dsr-lost"};
constexpr const char* kModemNames[] = {"internal", "ext1", "ext2"};
constexpr const char* kFaultNames[] = {"none", "no-answer", "failure", "reset-once"};
constexpr const char* kPresenceNames[] = {"ready", "not-ready", "absent"};

int clampInt(qint64 v, int lo, int hi) { return static_cast<int>(std::clamp<qint64>(v, lo, hi)); }
qint64 clampTime(qint64 v) { return std::clamp<qint64>(v, 0, qint64(1) << 50); }

// Plain printable text of at most `limit` characters; anything else is dropped.
QString printable(const QString& text, qsizetype limit) {
  QString out;
  for (QChar c : text) {
    if (out.size() >= limit)
      break;
    if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
      out += c;
  }
  return out;
}

QJsonObject statsJson(const Statistics& s) {
  QJsonArray h;
  for (int v : s.hangups)
    h << v;
  return {{"last", s.lastCause}, {"hangups", h}, {"ok", s.successes}, {"retrains", s.retrains}};
}

Statistics statsFrom(const QJsonObject& o) {
  Statistics s;
  s.lastCause = clampInt(o.value("last").toInteger(), 0, 255);
  const QJsonArray h = o.value("hangups").toArray();
  for (int i = 0; i < 9 && i < h.size(); ++i)
    s.hangups[i] = clampInt(h[i].toInteger(), 0, 255);
  s.successes = clampInt(o.value("ok").toInteger(), 0, 255);
  s.retrains = clampInt(o.value("retrains").toInteger(), 0, 255);
  return s;
}

}  // namespace

QString telephoneStateName(int code) {
  for (const auto& [c, name] : kStateNames)
    if (c == code)
      return QString::fromLatin1(name);
  return QStringLiteral("TEL_ERROR");
}

QString hangupCauseText(int c) { return c >= 1 && c <= 9 ? QString::fromLatin1(kCauseTexts[c - 1]) : QString(); }
QString hangupCauseName(int c) { return c >= 1 && c <= 9 ? QString::fromLatin1(kCauseNames[c - 1]) : QString(); }

std::optional<int> hangupCauseFromName(const QString& name) {
  for (int c = 1; c <= 9; ++c)
    if (name == QLatin1String(kCauseNames[c - 1]) || name == QString::number(c))
      return c;
  return std::nullopt;
}

std::optional<int> modemOfSelector(int selector) {
  for (int m = 0; m < kModemCount; ++m)
    if (kSelectors[m] == selector)
      return m;
  return std::nullopt;
}

QString modemName(int modem) {
  return modem >= 0 && modem < kModemCount ? QString::fromLatin1(kModemNames[modem]) : QString();
}

std::optional<int> modemFromName(const QString& name) {
  for (int m = 0; m < kModemCount; ++m)
    if (name == QLatin1String(kModemNames[m]) || name == QString::number(kSelectors[m]))
      return m;
  return std::nullopt;
}

DeviceState defaultState(Family family) {
  DeviceState s;
  s.family = family;
  s.firmware = family == Family::LonMark ? QStringLiteral("3.20") : QStringLiteral("2.10");
  return s;
}

QString firmwareText(const DeviceState& state) {
  return (state.family == Family::LonMark ? QStringLiteral("RLX-LonMark ") : QStringLiteral("RLX Explicit ")) +
         state.firmware;
}

double firmwareNumber(const QString& version) {
  static const QRegularExpression number(QStringLiteral("^\\s*([0-9]+(\\.[0-9]*)?)"));
  const auto m = number.match(version);
  return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

bool isFirmwareVersion(const QString& text) {
  static const QRegularExpression version(QStringLiteral("^[0-9]\\.[0-9]{2}$"));
  return version.match(text).hasMatch();
}

QString faultName(Fault fault) { return QString::fromLatin1(kFaultNames[static_cast<int>(fault)]); }

std::optional<Fault> faultFromName(const QString& name) {
  for (int i = 0; i < 4; ++i)
    if (name == QLatin1String(kFaultNames[i]))
      return static_cast<Fault>(i);
  return std::nullopt;
}

QString presenceName(Presence presence) { return QString::fromLatin1(kPresenceNames[static_cast<int>(presence)]); }

std::optional<Presence> presenceFromName(const QString& name) {
  for (int i = 0; i < 3; ++i)
    if (name == QLatin1String(kPresenceNames[i]))
      return static_cast<Presence>(i);
  return std::nullopt;
}

QByteArray toJson(const DeviceState& s) {
  QJsonObject o;
  o["family"] = s.family == Family::LonMark ? "lonmark" : "explicit";
  o["firmware"] = s.firmware;
  o["fault"] = faultName(s.fault);
  o["away"] = s.awayUntil;
  o["rebootMs"] = s.rebootMs;
  o["phonebook?"] = s.phonebookSupported;
  o["ringMode?"] = s.ringModeSupported;
  o["muted"] = s.inputMuted;
  o["pins"] = s.servicePinPulses;
  o["reboots"] = s.reboots;
  o["call"] =
      QJsonObject{{"delay", s.call.connectDelayMs},  {"outcome", s.call.outcome},    {"speed", s.call.speed},
                  {"modulation", s.call.modulation}, {"ec", s.call.errorCorrection}, {"hangup", s.call.hangupMs},
                  {"redial", s.call.redialMs}};
  if (s.channel != Channel{})
    o["channel"] = QJsonObject{{"latency", s.channel.latencyMs},
                               {"jitter", s.channel.jitterMs},
                               {"loss", s.channel.lossPercent},
                               {"messages", s.channel.messages}};
  o["ring"] = QJsonObject{{"on", s.ring.enabled},          {"unit", s.ring.unit},  {"delay", s.ring.delayMs},
                          {"interval", s.ring.intervalMs}, {"polls", s.ringPolls}, {"steps", s.ringSteps}};
  // Only the stored entries, by index, keep the document small.
  QJsonObject book;
  for (int i = 0; i < kPhonebookEntries; ++i)
    if (!s.phonebook[i].isEmpty())
      book[QString::number(i)] = s.phonebook[i];
  o["phonebook"] = book;
  QJsonArray modems;
  for (const Modem& m : s.modems) {
    modems << QJsonObject{{"presence", presenceName(m.presence)},
                          {"state", m.state},
                          {"phaseEnd", m.phaseEnd},
                          {"start", m.callStart},
                          {"number", m.number},
                          {"outcome", m.outcome},
                          {"redial", m.redialAt},
                          {"autoAnswer", m.autoAnswer},
                          {"dialMode", m.dialMode},
                          {"stats", statsJson(m.stats)}};
  }
  o["modems"] = modems;
  QJsonObject overrides;
  for (auto it = s.overrides.begin(); it != s.overrides.end(); ++it)
    overrides[it.key()] = QJsonArray{it->value, it->base};
  o["overrides"] = overrides;
  return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<DeviceState> fromJson(const QByteArray& json) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject())
    return std::nullopt;
  const QJsonObject o = doc.object();
  const Family family = o.value("family").toString() == QLatin1String("lonmark") ? Family::LonMark : Family::Explicit;
  DeviceState s = defaultState(family);
  if (const QString fw = o.value("firmware").toString(); isFirmwareVersion(fw))
    s.firmware = fw;
  s.fault = faultFromName(o.value("fault").toString()).value_or(Fault::None);
  s.awayUntil = clampTime(o.value("away").toInteger());
  s.rebootMs = clampTime(o.value("rebootMs").toInteger(s.rebootMs));
  s.phonebookSupported = o.value("phonebook?").toBool(true);
  s.ringModeSupported = o.value("ringMode?").toBool(true);
  s.inputMuted = o.value("muted").toBool();
  s.servicePinPulses = clampInt(o.value("pins").toInteger(), 0, 1 << 30);
  s.reboots = clampInt(o.value("reboots").toInteger(), 0, 1 << 30);
  const QJsonObject call = o.value("call").toObject();
  s.call.connectDelayMs = clampTime(call.value("delay").toInteger(s.call.connectDelayMs));
  s.call.outcome = clampInt(call.value("outcome").toInteger(), 0, 9);
  s.call.speed = clampInt(call.value("speed").toInteger(s.call.speed), 0, 255);
  s.call.modulation = clampInt(call.value("modulation").toInteger(s.call.modulation), 0, 255);
  s.call.errorCorrection = clampInt(call.value("ec").toInteger(s.call.errorCorrection), 0, 255);
  s.call.hangupMs = clampTime(call.value("hangup").toInteger(s.call.hangupMs));
  s.call.redialMs = std::max<qint64>(100, clampTime(call.value("redial").toInteger(s.call.redialMs)));
  const QJsonObject channel = o.value("channel").toObject();
  s.channel.latencyMs = clampTime(channel.value("latency").toInteger());
  s.channel.jitterMs = clampTime(channel.value("jitter").toInteger());
  s.channel.lossPercent = clampInt(channel.value("loss").toInteger(), 0, 100);
  s.channel.messages = clampTime(channel.value("messages").toInteger());
  const QJsonObject ring = o.value("ring").toObject();
  s.ring.enabled = ring.value("on").toBool();
  s.ring.unit = clampInt(ring.value("unit").toInteger(), 0, 255);
  s.ring.delayMs = clampInt(ring.value("delay").toInteger(s.ring.delayMs), 0, 65535);
  s.ring.intervalMs = clampInt(ring.value("interval").toInteger(s.ring.intervalMs), 0, 65535);
  s.ringPolls = clampInt(ring.value("polls").toInteger(-1), -1, 1 << 30);
  s.ringSteps = clampInt(ring.value("steps").toInteger(), 0, 1 << 30);
  const QJsonObject book = o.value("phonebook").toObject();
  for (auto it = book.begin(); it != book.end(); ++it) {
    bool ok = false;
    const int i = it.key().toInt(&ok);
    if (ok && i >= 0 && i < kPhonebookEntries)
      s.phonebook[i] = printable(it.value().toString(), kMaxNumberLength);
  }
  const QJsonArray modems = o.value("modems").toArray();
  for (int i = 0; i < kModemCount && i < modems.size(); ++i) {
    const QJsonObject m = modems[i].toObject();
    Modem& d = s.modems[i];
    d.presence = presenceFromName(m.value("presence").toString()).value_or(Presence::Ready);
    d.state = clampInt(m.value("state").toInteger(), 0, 255);
    d.phaseEnd = clampTime(m.value("phaseEnd").toInteger());
    d.callStart = clampTime(m.value("start").toInteger());
    d.number = printable(m.value("number").toString(), 255);
    d.outcome = clampInt(m.value("outcome").toInteger(), 0, 9);
    d.redialAt = clampTime(m.value("redial").toInteger());
    d.autoAnswer = m.value("autoAnswer").toBool(true);
    if (const QString mode = m.value("dialMode").toString(); !mode.isEmpty())
      d.dialMode = printable(mode, 255);
    d.stats = statsFrom(m.value("stats").toObject());
  }
  const QJsonObject overrides = o.value("overrides").toObject();
  for (auto it = overrides.begin(); it != overrides.end(); ++it) {
    const QJsonArray pair = it.value().toArray();
    s.overrides.insert(it.key(), Override{pair.at(0).toString(), pair.at(1).toString()});
  }
  return s;
}

}  // namespace rlxsim
