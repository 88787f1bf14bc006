#include "rlx_model.h"

#include <QStringList>
#include <algorithm>

#include "host/lns/lns.h"

namespace rlxsim {

namespace {

// Counters on the device are single bytes; they wrap like the device's own.
void bump(int& counter, qint64 by = 1) { counter = static_cast<int>((counter + by) % 256); }

bool inCall(int state) {
  switch (state) {
    case tel::kOffHook:
    case tel::kDialing:
    case tel::kDialComplete:
    case tel::kRinging:
    case tel::kAnswered:
    case tel::kTalking:
    case tel::kHold: return true;
    default: return false;
  }
}

int reportedState(const Modem& m) {
  switch (m.presence) {
    case Presence::NotReady: return tel::kError;
    case Presence::Absent: return tel::kNull;
    case Presence::Ready: break;
  }
  return m.state;
}

// --- dial modes ---------------------------------------------------------------

enum class DialKind { Manual, Perpetual, OnDemand };

DialKind dialKind(const QString& text) {
  if (text.startsWith(QLatin1String("MANUAL")))
    return DialKind::Manual;
  if (text.startsWith(QLatin1String("DOD")))
    return DialKind::OnDemand;
  return DialKind::Perpetual;
}

// The number after the first comma ("PERPETUAL,5,0,..." -> 5).
int dialModeEntry(const QString& text) {
  const QStringList fields = text.split(u',');
  bool ok = false;
  const int entry = fields.value(1).trimmed().toInt(&ok);
  return ok ? entry : 0;
}

// The modem dials its perpetual entry when it is idle and may call.
bool perpetualEntry(const DeviceState& s, const Modem& m, QString* number) {
  if (dialKind(m.dialMode) != DialKind::Perpetual)
    return false;
  const int entry = dialModeEntry(m.dialMode);
  if (entry < 0 || entry >= kPhonebookEntries || s.phonebook[entry].isEmpty())
    return false;
  *number = s.phonebook[entry];
  return true;
}

qint64 cycleOf(const DeviceState& s) { return s.call.connectDelayMs + s.call.hangupMs + s.call.redialMs; }

void startHangup(DeviceState& s, Modem& m, int c, qint64 at) {
  m.state = tel::kHangingUp;
  m.phaseEnd = at + s.call.hangupMs;
  m.stats.lastCause = c;
  bump(m.stats.hangups[c - 1]);
}

void placeCall(DeviceState& s, Modem& m, const QString& number, qint64 at) {
  m.state = tel::kOffHook;
  m.callStart = at;
  m.number = number;
  m.outcome = isDialable(number) ? s.call.outcome : cause::kInvalidDialstringCharacter;
  m.redialAt = 0;
  m.phaseEnd = at + s.call.connectDelayMs / 8;
}

// One change that fell due at `at`.
void phaseEnds(DeviceState& s, Modem& m, qint64 at) {
  const qint64 d = s.call.connectDelayMs;
  switch (m.state) {
    case tel::kOffHook:
      m.state = tel::kDialing;
      m.phaseEnd = std::max(at, m.callStart + d / 2);
      break;
    case tel::kDialing:
      m.state = tel::kDialComplete;
      m.phaseEnd = std::max(at, m.callStart + d);
      break;
    case tel::kDialComplete:
      if (m.outcome == 0) {
        m.state = tel::kTalking;
        m.phaseEnd = 0;
        bump(m.stats.successes);
      } else {
        startHangup(s, m, m.outcome, at);
      }
      break;
    case tel::kHangingUp: {
      m.state = tel::kNotInUse;
      m.phaseEnd = 0;
      m.number.clear();
      QString number;
      if (perpetualEntry(s, m, &number))
        m.redialAt = at + s.call.redialMs;
      break;
    }
    default: m.phaseEnd = 0; break;
  }
}

void redialDue(DeviceState& s, Modem& m, qint64 at, qint64 now) {
  m.redialAt = 0;
  if (s.awayUntil != 0 && at < s.awayUntil)
    return;  // the end of the restart dials again
  QString number;
  if (m.presence != Presence::Ready || m.state != tel::kNotInUse || !perpetualEntry(s, m, &number))
    return;
  // A perpetual modem whose calls keep failing goes round the same cycle; skip
  // whole cycles of a long gap at once instead of stepping through each.
  const int failing = isDialable(number) ? s.call.outcome : cause::kInvalidDialstringCharacter;
  const qint64 cycle = cycleOf(s);
  if (failing != 0 && cycle > 0 && now - at > 4 * cycle) {
    const qint64 skipped = (now - at) / cycle - 2;
    bump(m.stats.hangups[failing - 1], skipped % 256);
    m.stats.lastCause = failing;
    at += skipped * cycle;
  }
  placeCall(s, m, number, at);
}

void rebootEnds(DeviceState& s, qint64 at) {
  s.awayUntil = 0;
  QString number;
  for (Modem& m : s.modems)
    if (m.presence == Presence::Ready && perpetualEntry(s, m, &number))
      m.redialAt = at;
}

QString baseOutput(const DeviceState& s, const QString& name);

// --- tables --------------------------------------------------------------------

constexpr const char* kSpeeds[] = {"n/a",  "1200/75",          "75/1200", "0-300", "1200",  "2400",  "4800",
                                   "7200", "9600 non-trellis", "9600",    "12000", "14400", "16800", "19200"};
constexpr const char* kModulations[] = {"n/a", "V.32", "V.32 bis/terbo"};
constexpr const char* kCorrections[] = {"n/a", "", "V.42", "V.42/V.42bis", "MNP", "MNP/MNP5"};

template <std::size_t N>
QString tableText(const char* const (&table)[N], int code) {
  return code >= 0 && code < int(N) ? QString::fromLatin1(table[code]) : QString();
}

struct ModemVariables {
  const char* dial;
  const char* cancel;
  const char* status;
  const char* text;
};
constexpr ModemVariables kModemVariables[kModemCount] = {
    {"nviDialStr1", "nviCallCancel1", "nvoCnctStat1", "nvoCnctStr1"},
    {"nviDialStr2", "nviCallCancel2", "nvoCnctStat2", "nvoCnctStr2"},
    {"nviDialStrEx2", "nviCallCancelEx2", "nvoCnctStatEx2", "nvoCnctStrEx2"},
};
constexpr char kProductName[] = "nvoProductName";
constexpr int kDirectoryObjects[] = {4, 5};  // "Directory #1" and "#2": entries 0-15 and 16-31
constexpr int kDirectoryEntries = 16;

[[noreturn]] void refuse(const QString& why) { throw lns::LnsError(lns::kErrInvalidValue, why); }

QString statusText(const DeviceState& s, int modem) {
  const Modem& m = s.modems[modem];
  if (m.presence == Presence::NotReady)
    return QStringLiteral("Modem not ready");
  if (m.presence == Presence::Absent)
    return QString();
  switch (m.state) {
    case tel::kOffHook:
    case tel::kDialing:
    case tel::kDialComplete: return QStringLiteral("Dialing ") + m.number;
    case tel::kTalking: return connectionText(s);
    case tel::kHangingUp: return hangupCauseText(m.stats.lastCause);
    default: return QString();
  }
}

QString baseOutput(const DeviceState& s, const QString& name) {
  if (name == QLatin1String(kProductName))
    return firmwareText(s);
  for (int object = 1; object <= kModemCount; ++object) {
    const ModemVariables& v = kModemVariables[object - 1];
    const bool status = name == QLatin1String(v.status);
    if (status || name == QLatin1String(v.text)) {
      const int modem = *modemOfObject(s, object);
      return status ? telephoneStateName(reportedState(s.modems[modem])) : statusText(s, modem);
    }
  }
  return QString();
}

bool isOutput(const QString& name) {
  if (name == QLatin1String(kProductName))
    return true;
  for (const ModemVariables& v : kModemVariables)
    if (name == QLatin1String(v.status) || name == QLatin1String(v.text))
      return true;
  return false;
}

std::optional<int> directoryBase(int objectIndex) {
  for (int i = 0; i < 2; ++i)
    if (kDirectoryObjects[i] == objectIndex)
      return i * kDirectoryEntries;
  return std::nullopt;
}

bool storableNumber(const QString& number) {
  if (number.size() > kMaxNumberLength)
    return false;
  for (QChar c : number)
    if (c.unicode() < 0x20 || c.unicode() > 0x7e)
      return false;
  return true;
}

Bytes neuronBytes(const QString& neuronId) {
  Bytes out(6, 0);
  if (neuronId.size() != 12)
    return out;
  for (int i = 0; i < 6; ++i) {
    bool ok = false;
    const uint v = neuronId.mid(i * 2, 2).toUInt(&ok, 16);
    if (!ok)
      return Bytes(6, 0);
    out[i] = static_cast<std::uint8_t>(v);
  }
  return out;
}

}  // namespace

// --- time -------------------------------------------------------------------

namespace {

// splitmix64: a well mixed 64-bit value from a counter.
quint64 mix(quint64 x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

}  // namespace

ChannelPass passChannel(DeviceState& state, qint64 deviceId) {
  Channel& c = state.channel;
  if (c.latencyMs == 0 && c.jitterMs == 0 && c.lossPercent == 0)
    return {};
  const quint64 draw = mix(mix(quint64(deviceId)) + quint64(c.messages));
  ++c.messages;
  ChannelPass pass;
  pass.lost = int(draw % 100) < c.lossPercent;
  pass.delayMs = c.latencyMs + (c.jitterMs > 0 ? qint64((draw >> 32) % quint64(c.jitterMs + 1)) : 0);
  return pass;
}

bool restarting(const DeviceState& state, qint64 now) { return state.awayUntil != 0 && now < state.awayUntil; }

bool answers(const DeviceState& state, qint64 now) { return state.fault != Fault::NoAnswer && !restarting(state, now); }

std::optional<qint64> nextDue(const DeviceState& s) {
  std::optional<qint64> due;
  auto consider = [&](qint64 t) {
    if (t != 0 && (!due || t < *due))
      due = t;
  };
  consider(s.awayUntil);
  for (const Modem& m : s.modems) {
    consider(m.phaseEnd);
    consider(m.redialAt);
  }
  return due;
}

void advance(DeviceState& s, qint64 now) {
  // Bounded so a damaged state cannot hold the caller; whatever is left falls
  // due at the next call.
  for (int step = 0; step < 100000; ++step) {
    const std::optional<qint64> due = nextDue(s);
    if (!due || *due > now)
      break;
    const qint64 at = *due;
    if (s.awayUntil == at) {
      rebootEnds(s, at);
      continue;
    }
    for (Modem& m : s.modems) {
      if (m.phaseEnd == at) {
        phaseEnds(s, m, at);
        break;
      }
      if (m.redialAt == at) {
        redialDue(s, m, at, now);
        break;
      }
    }
  }
  settleOverrides(s);
}

// --- operations -----------------------------------------------------------------

bool isDialable(const QString& number) {
  if (number.isEmpty())
    return false;
  for (qsizetype i = 0; i < number.size(); ++i) {
    const QChar c = number[i];
    if (c.isDigit() && c.unicode() < 0x80)
      continue;
    if ((c == u'P' || c == u'p') && i == 0)
      continue;
    if (QStringLiteral("*#,Ww! -()").contains(c))
      continue;
    return false;
  }
  return true;
}

bool dial(DeviceState& s, int modem, const QString& number, qint64 now) {
  Modem& m = s.modems[modem];
  if (m.presence != Presence::Ready || m.state != tel::kNotInUse || number.isEmpty())
    return false;
  placeCall(s, m, number, now);
  advance(s, now);
  return true;
}

void hangUp(DeviceState& s, int modem, int c, qint64 now, bool countIdle) {
  Modem& m = s.modems[modem];
  if (inCall(m.state)) {
    startHangup(s, m, c, now);
  } else if (m.state != tel::kHangingUp && countIdle) {
    m.stats.lastCause = c;
    bump(m.stats.hangups[c - 1]);
  }
  advance(s, now);
}

void setAutoAnswer(DeviceState& s, int modem, bool on, qint64 now) {
  s.modems[modem].autoAnswer = on;
  // Switching auto answer off makes the modem drop its line, which it counts
  // as a call cancelled by the user even when the line was free.
  if (!on)
    hangUp(s, modem, cause::kUserCallCancel, now, true);
}

void setPresence(DeviceState& s, int modem, Presence presence, qint64 now) {
  Modem& m = s.modems[modem];
  if (m.presence == presence)
    return;
  if (presence != Presence::Ready) {
    if (inCall(m.state) || m.state == tel::kHangingUp) {
      if (m.state != tel::kHangingUp) {
        m.stats.lastCause = cause::kDsrLost;
        bump(m.stats.hangups[cause::kDsrLost - 1]);
      }
      m.state = tel::kNotInUse;
      m.phaseEnd = 0;
      m.number.clear();
    }
    m.redialAt = 0;
  }
  m.presence = presence;
  QString number;
  if (presence == Presence::Ready && m.state == tel::kNotInUse && perpetualEntry(s, m, &number))
    m.redialAt = now;
  advance(s, now);
}

bool setDialMode(DeviceState& s, int modem, const QString& text, qint64 now) {
  QStringList fields = text.trimmed().split(u',');
  const QString kind = fields[0].trimmed().toUpper();
  if (kind != QLatin1String("MANUAL") && kind != QLatin1String("PERPETUAL") && kind != QLatin1String("DOD"))
    return false;
  for (qsizetype i = 1; i < fields.size(); ++i) {
    bool ok = false;
    const int v = fields[i].trimmed().toInt(&ok);
    if (!ok || v < 0 || v > 65535)
      return false;
  }
  if (kind == QLatin1String("PERPETUAL") && (fields.size() < 2 || fields[1].trimmed().toInt() >= kPhonebookEntries))
    return false;
  fields[0] = kind;
  Modem& m = s.modems[modem];
  m.dialMode = fields.join(u',');
  QString number;
  if (perpetualEntry(s, m, &number)) {
    if (m.presence == Presence::Ready && m.state == tel::kNotInUse && m.redialAt == 0)
      m.redialAt = now;
  } else {
    m.redialAt = 0;
  }
  advance(s, now);
  return true;
}

void reboot(DeviceState& s, qint64 now) {
  s.awayUntil = now + std::max<qint64>(s.rebootMs, 1);
  bump(s.reboots);
  for (Modem& m : s.modems) {
    m.state = tel::kNotInUse;
    m.phaseEnd = 0;
    m.redialAt = 0;
    m.number.clear();
  }
  s.inputMuted = false;
  s.ringPolls = -1;
  s.ringSteps = 0;
  s.overrides.clear();
}

// --- explicit messages ----------------------------------------------------------

Bytes ringEntry(const RingView& view, const RingMember& member, bool inRing, bool testRunning) {
  Bytes e;
  e.push_back(static_cast<std::uint8_t>(member.unit));
  const Bytes neuron = neuronBytes(member.neuronId);
  e.insert(e.end(), neuron.begin(), neuron.end());
  e.push_back(view.closed ? 0 : static_cast<std::uint8_t>(view.endA.value_or(0)));
  e.push_back(inRing ? 1 : 0);
  e.push_back(testRunning ? 1 : 0);
  e.push_back(view.closed ? 1 : 0);
  e.push_back(!view.closed && view.endA == member.unit ? 1 : 0);
  e.push_back(!view.closed && view.endB == member.unit ? 1 : 0);
  return e;
}

ExplicitAnswer handleExplicit(DeviceState& s, const DeviceContext& device, const Bytes& body, qint64 now) {
  advance(s, now);
  if (!answers(s, now))
    return {true, {}};
  const Bytes unknown{kUnknownCommandReply};
  if (body.size() < 3 || body[0] != 1)
    return {false, unknown};
  const std::uint8_t cmd = body[1], p3 = body[2];
  const Bytes head{1, cmd, p3};
  const Bytes ack{1, cmd, p3, 0};
  auto with = [&](std::initializer_list<int> more) {
    Bytes r;
    r.reserve(head.size() + more.size());
    for (std::uint8_t b : head)
      r.push_back(b);
    for (int b : more)
      r.push_back(static_cast<std::uint8_t>(b));
    return r;
  };
  auto at = [&](std::size_t i) -> std::optional<std::uint8_t> {
    return i < body.size() ? std::optional<std::uint8_t>(body[i]) : std::nullopt;
  };
  // Character codes from position `from` up to the terminating 0 (or the end).
  auto codesFrom = [&](std::size_t from) {
    QString text;
    for (std::size_t i = from; i < body.size() && body[i] != 0; ++i)
      text += QChar(body[i]);
    return text;
  };
  const std::optional<int> modem = modemOfSelector(p3);
  const bool deviceLevel = p3 == 0;

  switch (cmd) {
    case 8:  // call cancel
      if (!modem)
        break;
      hangUp(s, *modem, cause::kUserCallCancel, now);
      return {false, ack};
    case 14:  // soft reboot: answered, then the device goes away
      if (!deviceLevel)
        break;
      reboot(s, now);
      return {false, ack};
    case 19:  // pulse the service pin
      if (!deviceLevel)
        break;
      ++s.servicePinPulses;
      return {false, ack};
    case 32: {  // dial
      if (!modem)
        break;
      QString number = codesFrom(3);
      for (QChar& c : number)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
          c = u'?';  // not a character a modem dials: the call fails with cause 8
      dial(s, *modem, number, now);
      return {false, ack};
    }
    case 34: {  // input audio: 1 mutes, 0 unmutes
      const auto v = at(3);
      if (!deviceLevel || !v || *v > 1)
        break;
      s.inputMuted = *v == 1;
      return {false, ack};
    }
    case 48: {  // presence probe: the firmware text
      if (!deviceLevel)
        break;
      Bytes r = head;
      for (QChar c : firmwareText(s))
        r.push_back(static_cast<std::uint8_t>(c.unicode() & 0xff));
      return {false, r};
    }
    case 53: {  // modem status; the ready flag comes last
      if (!modem)
        break;
      const Modem& m = s.modems[*modem];
      return {false, with({reportedState(m), m.presence == Presence::Ready ? 0 : 1})};
    }
    case 55: {  // ring status
      const auto step = at(3);
      if (!deviceLevel || !step)
        break;
      if (*step == 3) {
        s.ringPolls = 0;
        s.ringSteps = 0;
        return {false, ack};
      }
      if (*step != 4 && *step != 5)
        break;
      // The test runs for the first two entry polls after its start.
      if (*step == 4) {
        if (s.ringPolls >= 0)
          ++s.ringPolls;
        s.ringSteps = 0;
      } else {
        ++s.ringSteps;
      }
      const bool running = s.ringPolls >= 1 && s.ringPolls <= 2;
      const RingView view = device.ring ? device.ring() : RingView{};
      qsizetype self = -1;
      for (qsizetype i = 0; i < view.members.size(); ++i)
        if (view.members[i].deviceId == device.deviceId && device.deviceId != 0)
          self = i;
      Bytes r = with({*step});
      Bytes entry;
      if (*step == 4) {
        const RingMember me{s.ring.unit, device.neuronId, device.deviceId};
        entry = ringEntry(view, me, s.ringModeSupported && s.ring.enabled, running);
      } else if (self < 0 || s.ringSteps >= view.members.size()) {
        entry = ringEntry(view, RingMember{kRingListEnd, QString(), 0}, false, running);
        std::fill(entry.begin() + 1, entry.begin() + 8, 0);
        entry[11] = entry[12] = 0;
      } else {
        entry = ringEntry(view, view.members[(self + s.ringSteps) % view.members.size()], true, running);
      }
      r.insert(r.end(), entry.begin(), entry.end());
      return {false, r};
    }
    case 57: {  // connection details
      if (!modem)
        break;
      const Modem& m = s.modems[*modem];
      if (reportedState(m) != tel::kTalking)
        return {false, with({0, 0, 0})};
      return {false, with({s.call.speed, s.call.modulation, s.call.errorCorrection})};
    }
    case 61: {  // statistics: read (0) or clear (1)
      const auto sub = at(3);
      if (!modem || !sub || *sub > 1)
        break;
      Modem& m = s.modems[*modem];
      if (*sub == 1) {
        m.stats = Statistics{};
        return {false, ack};
      }
      Bytes r = with({m.stats.lastCause});
      for (int h : m.stats.hangups)
        r.push_back(static_cast<std::uint8_t>(h));
      r.push_back(static_cast<std::uint8_t>(m.stats.successes));
      r.push_back(static_cast<std::uint8_t>(m.stats.retrains));
      return {false, r};
    }
    case 65: {  // auto answer on (1) / off (0)
      const auto v = at(3);
      if (!modem || !v || *v > 1)
        break;
      setAutoAnswer(s, *modem, *v == 1, now);
      return {false, ack};
    }
    case 66: {  // phonebook: store (1) or read (2) an entry
      if (!s.phonebookSupported)
        return {false, {kNotSupportedReply}};
      const auto sub = at(3), entry = at(4);
      if (!deviceLevel || !sub || !entry || *entry >= kPhonebookEntries)
        break;
      if (*sub == 1) {
        const QString number = codesFrom(5);
        if (!storableNumber(number))
          break;
        s.phonebook[*entry] = number;
        return {false, ack};
      }
      if (*sub != 2)
        break;
      Bytes r = with({2, *entry});
      for (QChar c : s.phonebook[*entry])
        r.push_back(static_cast<std::uint8_t>(c.unicode()));
      r.push_back(0);
      return {false, r};
    }
    case 69: {  // dial mode: set (1) or read (2)
      const auto sub = at(3);
      if (!modem || !sub)
        break;
      Modem& m = s.modems[*modem];
      if (*sub == 2) {
        const DialKind kind = dialKind(m.dialMode);
        const int mode = kind == DialKind::Manual ? 0 : kind == DialKind::Perpetual ? 1 : 2;
        return {false, with({2, mode, std::clamp(dialModeEntry(m.dialMode), 0, 255)})};
      }
      const auto mode = at(4);
      if (*sub != 1 || !mode || *mode > 1)
        break;
      QString text = QStringLiteral("MANUAL,0,0,0,0,0,0,0,0,0,0");
      if (*mode == 1) {
        const auto entry = at(5);
        if (!entry || *entry >= kPhonebookEntries)
          break;
        text = QStringLiteral("PERPETUAL,%1,0,0,0,0,0,0,0,0,0").arg(*entry);
      }
      setDialMode(s, *modem, text, now);
      return {false, ack};
    }
    case 72: {  // ring mode parameters: write (1) or read (2)
      if (!s.ringModeSupported)
        return {false, {kNotSupportedReply}};
      const auto sub = at(3);
      if (!deviceLevel || !sub)
        break;
      if (*sub == 2) {
        const RingMode& g = s.ring;
        return {false, with({2, g.enabled ? 1 : 0, g.unit, g.delayMs >> 8, g.delayMs & 0xff, g.intervalMs >> 8,
                             g.intervalMs & 0xff})};
      }
      if (*sub != 1 || body.size() < 10 || body[4] > 1)
        break;
      s.ring.enabled = body[4] == 1;
      s.ring.unit = body[5];
      s.ring.delayMs = body[6] * 256 + body[7];
      s.ring.intervalMs = body[8] * 256 + body[9];
      return {false, ack};
    }
    case 73:  // modem setting 2: is the internal modem fitted?
      if (p3 != 2)
        break;
      return {false, with({s.modems[0].presence == Presence::Absent ? 0 : 1})};
    default: break;
  }
  return {false, unknown};
}

// --- LonMark variables and properties -------------------------------------------

std::optional<int> modemOfObject(const DeviceState& s, int objectIndex) {
  if (objectIndex < 1 || objectIndex > kModemCount)
    return std::nullopt;
  const bool fitted = s.modems[0].presence != Presence::Absent;
  if (fitted)
    return objectIndex - 1;
  return std::min(objectIndex, kModemCount - 1);
}

std::optional<int> modemObjectOfVariable(const QString& nvName) {
  for (int object = 1; object <= kModemCount; ++object) {
    const ModemVariables& v = kModemVariables[object - 1];
    if (nvName == QLatin1String(v.dial) || nvName == QLatin1String(v.cancel) || nvName == QLatin1String(v.status) ||
        nvName == QLatin1String(v.text))
      return object;
  }
  return std::nullopt;
}

std::optional<QString> readVariable(const DeviceState& s, const QString& nvName) {
  if (s.family != Family::LonMark || !isOutput(nvName))
    return std::nullopt;
  const QString base = baseOutput(s, nvName);
  const auto o = s.overrides.constFind(nvName);
  return o != s.overrides.constEnd() && o->base == base ? o->value : base;
}

QList<std::pair<QString, QString>> outputVariables(const DeviceState& s) {
  QList<std::pair<QString, QString>> out;
  if (s.family != Family::LonMark)
    return out;
  out << std::pair(QString::fromLatin1(kProductName), *readVariable(s, QString::fromLatin1(kProductName)));
  for (const ModemVariables& v : kModemVariables) {
    for (const char* name : {v.status, v.text})
      out << std::pair(QString::fromLatin1(name), *readVariable(s, QString::fromLatin1(name)));
  }
  return out;
}

void settleOverrides(DeviceState& s) {
  for (auto it = s.overrides.begin(); it != s.overrides.end();) {
    if (baseOutput(s, it.key()) != it->base)
      it = s.overrides.erase(it);
    else
      ++it;
  }
}

void writeVariable(DeviceState& s, const QString& nvName, const QString& value, qint64 now) {
  if (s.family != Family::LonMark)
    return;
  if (isOutput(nvName)) {
    s.overrides.insert(nvName, Override{value, baseOutput(s, nvName)});
    return;
  }
  const std::optional<int> object = modemObjectOfVariable(nvName);
  if (!object)
    return;
  const int modem = *modemOfObject(s, *object);
  const ModemVariables& v = kModemVariables[*object - 1];
  if (nvName == QLatin1String(v.dial)) {
    dial(s, modem, value, now);
  } else if (nvName == QLatin1String(v.cancel)) {
    bool ok = false;
    const int first = value.trimmed().section(u' ', 0, 0).toInt(&ok);
    if (!ok)
      refuse(QStringLiteral("%1 takes numbers such as \"1 1\", not \"%2\"").arg(nvName, value));
    if (first != 0)
      hangUp(s, modem, cause::kUserCallCancel, now);
  }
}

std::optional<QString> readProperty(const DeviceState& s, const QString& cp, int objectIndex, int element,
                                    int elementCount) {
  if (s.family != Family::LonMark)
    return std::nullopt;
  const bool newAutoAnswer = firmwareNumber(s.firmware) >= 3.2;
  if (const auto modem = modemOfObject(s, objectIndex)) {
    const Modem& m = s.modems[*modem];
    if (cp == QLatin1String("UCPT_DialMode"))
      return m.dialMode;
    if (cp == QLatin1String("UCPT_AAnswer") && !newAutoAnswer)
      return m.autoAnswer ? QStringLiteral("1.1 1") : QStringLiteral("0.0 0");
    if (cp == QLatin1String("UCPT_AutoAnswer") && newAutoAnswer)
      return m.autoAnswer ? QStringLiteral("True") : QStringLiteral("False");
    return std::nullopt;
  }
  if (cp == QLatin1String("UCPT_DialString")) {
    const auto base = directoryBase(objectIndex);
    if (!base)
      return std::nullopt;
    const int count = std::clamp(elementCount, 0, kDirectoryEntries);
    if (element >= 0)
      return element < count ? s.phonebook[*base + element] : QString();
    QStringList all;
    for (int i = 0; i < count; ++i)
      all << s.phonebook[*base + i];
    return joinElements(all);
  }
  if (cp == QLatin1String("UCPT_RingMode"))
    return ringModeText(s.ring);
  return std::nullopt;
}

void writeProperty(DeviceState& s, const QString& cp, int objectIndex, int element, const QString& value, qint64 now) {
  if (s.family != Family::LonMark)
    return;
  const bool newAutoAnswer = firmwareNumber(s.firmware) >= 3.2;
  if (const auto modem = modemOfObject(s, objectIndex)) {
    if (cp == QLatin1String("UCPT_DialMode")) {
      if (!setDialMode(s, *modem, value, now))
        refuse(QStringLiteral("\"%1\" is not a dial mode (MANUAL,..., PERPETUAL,entry,... or DOD,...)").arg(value));
    } else if (cp == QLatin1String("UCPT_AAnswer") && !newAutoAnswer) {
      const QString v = value.trimmed();
      if (!v.startsWith(u'1') && !v.startsWith(u'0'))
        refuse(QStringLiteral("UCPT_AAnswer takes \"1.1 1\" or \"0.0 0\", not \"%1\"").arg(value));
      setAutoAnswer(s, *modem, v.startsWith(u'1'), now);
    } else if (cp == QLatin1String("UCPT_AutoAnswer") && newAutoAnswer) {
      const QString v = value.trimmed();
      if (v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || v == QLatin1String("1"))
        setAutoAnswer(s, *modem, true, now);
      else if (v.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || v == QLatin1String("0"))
        setAutoAnswer(s, *modem, false, now);
      else
        refuse(QStringLiteral("UCPT_AutoAnswer takes True or False, not \"%1\"").arg(value));
    }
    return;
  }
  if (cp == QLatin1String("UCPT_DialString")) {
    const auto base = directoryBase(objectIndex);
    if (!base)
      return;
    QStringList numbers;
    if (element >= 0) {
      numbers << value;
    } else {
      const auto split = splitElements(value);
      if (!split || split->size() > kDirectoryEntries)
        refuse(QStringLiteral("UCPT_DialString holds 16 quoted numbers separated by commas"));
      numbers = *split;
    }
    for (const QString& n : std::as_const(numbers))
      if (!storableNumber(n))
        refuse(QStringLiteral("\"%1\" is not a phone number of at most %2 characters").arg(n).arg(kMaxNumberLength));
    const int first = element >= 0 ? element : 0;
    if (first + numbers.size() > kDirectoryEntries)
      refuse(QStringLiteral("UCPT_DialString has elements 0 to 15"));
    for (qsizetype i = 0; i < numbers.size(); ++i)
      s.phonebook[*base + first + i] = numbers[i];
    return;
  }
  if (cp == QLatin1String("UCPT_RingMode")) {
    const auto ring = parseRingMode(value);
    if (!ring)
      refuse(QStringLiteral("\"%1\" is not a ring mode such as Enable,5,2000,10000").arg(value));
    s.ring = *ring;
  }
}

QString connectionText(const DeviceState& s) {
  QString line = QStringLiteral("Connect");
  for (const QString& t : {tableText(kSpeeds, s.call.speed), tableText(kModulations, s.call.modulation),
                           tableText(kCorrections, s.call.errorCorrection)})
    if (!t.isEmpty())
      line += u' ' + t;
  return line;
}

QString ringModeText(const RingMode& ring) {
  return QStringLiteral("%1,%2,%3,%4")
      .arg(ring.enabled ? QStringLiteral("Enable") : QStringLiteral("Disable"))
      .arg(ring.unit)
      .arg(ring.delayMs)
      .arg(ring.intervalMs);
}

std::optional<RingMode> parseRingMode(const QString& text) {
  // Three commas end the first three values; the rest is the fourth.
  const QStringList parts = text.split(u',');
  if (parts.size() != 4)
    return std::nullopt;
  RingMode r;
  const QString word = parts[0].trimmed();
  if (word.compare(QLatin1String("Enable"), Qt::CaseInsensitive) == 0)
    r.enabled = true;
  else if (word.compare(QLatin1String("Disable"), Qt::CaseInsensitive) != 0)
    return std::nullopt;
  bool ok1 = false, ok2 = false, ok3 = false;
  r.unit = parts[1].trimmed().toInt(&ok1);
  r.delayMs = parts[2].trimmed().toInt(&ok2);
  r.intervalMs = parts[3].trimmed().toInt(&ok3);
  if (!ok1 || !ok2 || !ok3 || r.unit < 0 || r.unit > 255 || r.delayMs < 0 || r.delayMs > 65535 || r.intervalMs < 0 ||
      r.intervalMs > 65535)
    return std::nullopt;
  return r;
}

}  // namespace rlxsim
