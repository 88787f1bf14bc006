#include "rlx_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <array>

#include "lonworks/object_server/rlx_devices.h"
#include "lonworks/rlx_device/network_clock.h"

namespace rlxsim {

namespace {

constexpr int kSchemaVersion = 1;

void migrate(lnssim::SimDatabase& db, int from) {
  if (from < 1) {
    db.exec(R"sql(
CREATE TABLE rlx_state(
  device_id INTEGER PRIMARY KEY REFERENCES devices(id) ON DELETE CASCADE,
  doc TEXT NOT NULL,
  due_ms INTEGER);
CREATE INDEX rlx_state_due ON rlx_state(due_ms) WHERE due_ms IS NOT NULL;
CREATE TABLE rlx_traffic(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  device_id INTEGER NOT NULL REFERENCES devices(id) ON DELETE CASCADE,
  at_ms INTEGER NOT NULL,
  object TEXT NOT NULL,
  outcome TEXT NOT NULL,
  text TEXT NOT NULL);
CREATE INDEX rlx_traffic_device ON rlx_traffic(device_id, id);
CREATE TABLE rlx_rings(
  subsystem_id INTEGER PRIMARY KEY REFERENCES subsystems(id) ON DELETE CASCADE,
  doc TEXT NOT NULL);
CREATE TABLE rlx_clock(
  id INTEGER PRIMARY KEY CHECK(id = 1),
  frozen_ms INTEGER,
  offset_ms INTEGER NOT NULL DEFAULT 0);
)sql");
  }
}

[[noreturn]] void notRlx(const lnssim::DeviceIdentity& d) {
  throw lns::LnsError(
      lns::kErrInvalidValue,
      QStringLiteral("%1/%2 is not an RLX router (program identifier %3)").arg(d.subsystemName, d.name, d.programId));
}

// The settings a device starts with: the family's, then what the database
// already holds for it.
DeviceState initialState(lnssim::SimDatabase& db, const lnssim::DeviceIdentity& d, Family family, qint64 now) {
  DeviceState s = defaultState(family);
  if (family != Family::LonMark)
    return s;
  if (auto product = db.query("SELECT value FROM nvs WHERE device_id=?1 AND name='nvoProductName'")
                         .bind(1, d.rowId)
                         .scalarText()) {
    const QString version = product->section(u' ', -1);
    if (isFirmwareVersion(version))
      s.firmware = version;
  }
  const bool newAutoAnswer = firmwareNumber(s.firmware) >= 3.2;
  lnssim::Query q = db.query(
      "SELECT o.idx, c.name, v.idx, v.value FROM lm_objects o JOIN cps c ON c.object_id=o.id "
      "JOIN cp_values v ON v.cp_id=c.id WHERE o.device_id=?1 ORDER BY o.idx, c.id, v.idx");
  q.bind(1, d.rowId);
  while (q.next()) {
    const int object = static_cast<int>(q.int64(0));
    const QString name = q.text(1);
    const int element = static_cast<int>(q.int64(2));
    const QString value = q.text(3);
    if (const auto modem = modemOfObject(s, object)) {
      Modem& m = s.modems[*modem];
      if (name == QLatin1String("UCPT_DialMode")) {
        // Only a text the device takes as a dial mode; it starts working below.
        DeviceState probe = s;
        if (setDialMode(probe, *modem, value, now))
          m.dialMode = probe.modems[*modem].dialMode;
      } else if ((name == QLatin1String("UCPT_AAnswer") && !newAutoAnswer)) {
        m.autoAnswer = !value.trimmed().startsWith(u'0');
      } else if (name == QLatin1String("UCPT_AutoAnswer") && newAutoAnswer) {
        m.autoAnswer = value.trimmed().compare(QLatin1String("False"), Qt::CaseInsensitive) != 0;
      }
    } else if (name == QLatin1String("UCPT_DialString") && (object == 4 || object == 5) && element >= 0 &&
               element < 16 && value.size() <= kMaxNumberLength) {
      s.phonebook[(object - 4) * 16 + element] = value;
    } else if (name == QLatin1String("UCPT_RingMode")) {
      if (const auto ring = parseRingMode(value))
        s.ring = *ring;
    }
  }
  // A perpetual mode found in the database dials from now on.
  for (int m = 0; m < kModemCount; ++m)
    setDialMode(s, m, s.modems[m].dialMode, now);
  return s;
}

// Parsed documents of this thread, by their text: a device whose document did
// not change since it was last read (most requests only read) is not parsed
// again. Keyed by the whole text, so an entry is right for any database.
struct Parsed {
  QByteArray doc;
  DeviceState state;
};
constexpr int kParsedCacheSize = 16;
thread_local std::array<Parsed, kParsedCacheSize> t_parsed;
thread_local int t_parsedNext = 0;

void rememberParsed(const QByteArray& doc, const DeviceState& state) {
  t_parsed[t_parsedNext] = Parsed{doc, state};
  t_parsedNext = (t_parsedNext + 1) % kParsedCacheSize;
}

std::optional<DeviceState> parse(const QByteArray& doc) {
  for (const Parsed& p : t_parsed)
    if (!p.doc.isEmpty() && p.doc == doc)
      return p.state;
  std::optional<DeviceState> s = fromJson(doc);
  if (s)
    rememberParsed(doc, *s);
  return s;
}

std::optional<QByteArray> storedDoc(lnssim::SimDatabase& db, qint64 deviceId) {
  auto doc = db.query("SELECT doc FROM rlx_state WHERE device_id=?1").bind(1, deviceId).scalarText();
  if (!doc)
    return std::nullopt;
  return doc->toUtf8();
}

DeviceState loadState(lnssim::SimDatabase& db, const lnssim::DeviceIdentity& d, Family family, qint64 now, bool* fresh,
                      QByteArray* loaded) {
  if (const auto doc = storedDoc(db, d.rowId)) {
    if (auto s = parse(*doc); s && s->family == family) {
      if (loaded)
        *loaded = *doc;
      if (fresh)
        *fresh = false;
      return *s;
    }
  }
  if (fresh)
    *fresh = true;
  return initialState(db, d, family, now);
}

}  // namespace

void ensureSchema(lnssim::SimDatabase& db) {
  db.ensureComponentSchema(QStringLiteral("rlx_device"), kSchemaVersion, migrate);
}

std::optional<Family> familyOf(const QString& programId) {
  const QString id = programId.toUpper();
  if (id.startsWith(QLatin1String("524C58")))
    return Family::Explicit;
  if (id == QLatin1String(lnssim::kLonMarkProgramId))
    return Family::LonMark;
  return std::nullopt;
}

RingConfig readRingConfig(lnssim::SimDatabase& db, qint64 subsystemId) {
  RingConfig c;
  const auto doc = db.query("SELECT doc FROM rlx_rings WHERE subsystem_id=?1").bind(1, subsystemId).scalarText();
  if (!doc)
    return c;
  const QJsonObject o = QJsonDocument::fromJson(doc->toUtf8()).object();
  c.closed = o.value("closed").toBool(true);
  c.endA = o.value("endA").toString();
  c.endB = o.value("endB").toString();
  for (const QJsonValue& v : o.value("phantoms").toArray()) {
    const QJsonObject p = v.toObject();
    c.phantoms << RingMember{static_cast<int>(std::clamp<qint64>(p.value("unit").toInteger(), 0, 254)),
                             p.value("neuron").toString(), 0};
  }
  return c;
}

void writeRingConfig(lnssim::SimDatabase& db, qint64 subsystemId, const RingConfig& c) {
  ensureSchema(db);
  QJsonArray phantoms;
  for (const RingMember& p : c.phantoms)
    phantoms << QJsonObject{{"unit", p.unit}, {"neuron", p.neuronId}};
  const QJsonObject o{{"closed", c.closed}, {"endA", c.endA}, {"endB", c.endB}, {"phantoms", phantoms}};
  db.query(
        "INSERT INTO rlx_rings(subsystem_id, doc) VALUES(?1, ?2) "
        "ON CONFLICT(subsystem_id) DO UPDATE SET doc=excluded.doc")
      .bindAll(subsystemId, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)))
      .run();
}

RingView buildRingView(lnssim::RuntimeContext& ctx, qint64 subsystemId, qint64 now, const lnssim::DeviceIdentity* self,
                       const DeviceState* selfState) {
  const RingConfig config = readRingConfig(ctx.database(), subsystemId);
  RingView view;
  view.closed = config.closed;
  for (const lnssim::DeviceIdentity& d : ctx.subsystemDevices(subsystemId)) {
    if (!familyOf(d.programId))
      continue;
    const DeviceState s = self && selfState && d.rowId == self->rowId ? *selfState : peekState(ctx, d, now);
    if (answers(s, now) && s.ringModeSupported && s.ring.enabled)
      view.members << RingMember{s.ring.unit, d.neuronId, d.rowId};
  }
  view.members << config.phantoms;
  std::stable_sort(view.members.begin(), view.members.end(), [](const RingMember& a, const RingMember& b) {
    return a.unit != b.unit ? a.unit < b.unit : a.neuronId < b.neuronId;
  });
  if (!view.closed) {
    for (const RingMember& m : std::as_const(view.members)) {
      if (!config.endA.isEmpty() && m.neuronId == config.endA)
        view.endA = m.unit;
      if (!config.endB.isEmpty() && m.neuronId == config.endB)
        view.endB = m.unit;
    }
  }
  return view;
}

// --- sessions ----------------------------------------------------------------

DeviceSession::DeviceSession(lnssim::RuntimeContext& ctx, const lnssim::DeviceIdentity& device)
    : ctx_(ctx), db_(ctx.database()), device_(device), tx_(ctx.database()) {
  const std::optional<Family> family = familyOf(device.programId);
  if (!family)
    notRlx(device);
  now_ = networkNow(db_, ctx.clock());
  state_ = loadState(db_, device_, *family, now_, &fresh_, &loaded_);
  if (!fresh_) {
    loadedState_ = state_;
    outputsBefore_ = outputVariables(state_);
  }
  advance(state_, now_);
}

DeviceContext DeviceSession::context() {
  DeviceContext c;
  c.deviceId = device_.rowId;
  c.neuronId = device_.neuronId;
  c.ring = [this] { return ringView(); };
  return c;
}

RingView DeviceSession::ringView() { return buildRingView(ctx_, device_.subsystemId, now_, &device_, &state_); }

void DeviceSession::log(const QString& object, const QString& outcome, const QString& text) {
  appendTraffic(db_, device_.rowId, TrafficEntry{now_, object, outcome, text});
}

void DeviceSession::commit() {
  settleOverrides(state_);
  const bool changed = fresh_ || !(state_ == loadedState_);
  const QByteArray doc = changed ? toJson(state_) : loaded_;
  if (changed && (fresh_ || doc != loaded_)) {
    rememberParsed(doc, state_);
    lnssim::Query q = db_.query(
        "INSERT INTO rlx_state(device_id, doc, due_ms) VALUES(?1, ?2, ?3) "
        "ON CONFLICT(device_id) DO UPDATE SET doc=excluded.doc, due_ms=excluded.due_ms");
    q.bindAll(device_.rowId, QString::fromUtf8(doc));
    if (const auto due = nextDue(state_))
      q.bind(3, *due);
    else
      q.bindNull(3);
    q.run();
  }
  const auto after = outputVariables(state_);
  for (const auto& output : after) {
    const auto before = std::find_if(outputsBefore_.begin(), outputsBefore_.end(),
                                     [&](const auto& p) { return p.first == output.first; });
    if (fresh_ || before == outputsBefore_.end() || before->second != output.second)
      ctx_.storeNvValue(device_.rowId, output.first, output.second);
  }
  tx_.commit();
  loaded_ = doc;
  loadedState_ = state_;
  fresh_ = false;
  outputsBefore_ = after;
}

DeviceState peekState(lnssim::RuntimeContext& ctx, const lnssim::DeviceIdentity& device, qint64 now) {
  const std::optional<Family> family = familyOf(device.programId);
  if (!family)
    notRlx(device);
  DeviceState s = loadState(ctx.database(), device, *family, now, nullptr, nullptr);
  advance(s, now);
  return s;
}

QList<qint64> dueDevices(lnssim::SimDatabase& db, qint64 now) {
  QList<qint64> out;
  lnssim::Query q = db.query("SELECT device_id FROM rlx_state WHERE due_ms IS NOT NULL AND due_ms <= ?1");
  q.bind(1, now);
  while (q.next())
    out << q.int64(0);
  return out;
}

QList<TrafficEntry> traffic(lnssim::SimDatabase& db, qint64 deviceId) {
  ensureSchema(db);
  QList<TrafficEntry> out;
  lnssim::Query q =
      db.query("SELECT at_ms, object, outcome, text FROM rlx_traffic WHERE device_id=?1 ORDER BY id DESC LIMIT ?2");
  q.bindAll(deviceId, qint64(kTrafficLogLimit));
  while (q.next())
    out.prepend(TrafficEntry{q.int64(0), q.text(1), q.text(2), q.text(3)});
  return out;
}

void appendTraffic(lnssim::SimDatabase& db, qint64 deviceId, const TrafficEntry& e) {
  db.query("INSERT INTO rlx_traffic(device_id, at_ms, object, outcome, text) VALUES(?1, ?2, ?3, ?4, ?5)")
      .bindAll(deviceId, e.atMs, e.object, e.outcome, e.text)
      .run();
  // Trimmed now and then rather than at every line: finding the line where
  // the kept part starts walks the whole log of the device.
  if (db.lastInsertId() % 64 == 0)
    db.query(
          "DELETE FROM rlx_traffic WHERE device_id=?1 AND id <= "
          "(SELECT id FROM rlx_traffic WHERE device_id=?1 ORDER BY id DESC LIMIT 1 OFFSET ?2)")
        .bindAll(deviceId, qint64(kTrafficLogLimit))
        .run();
}

void clearTraffic(lnssim::SimDatabase& db, std::optional<qint64> deviceId) {
  ensureSchema(db);
  if (deviceId)
    db.query("DELETE FROM rlx_traffic WHERE device_id=?1").bind(1, *deviceId).run();
  else
    db.exec("DELETE FROM rlx_traffic");
}

}  // namespace rlxsim
