#include "device_runtime.h"

#include "sim_database.h"

namespace lnssim {

namespace {

constexpr const char* kIdentityColumns =
    "SELECT d.id, d.name, d.handle, d.program_id, d.neuron_id, d.subsystem_id, s.name, d.system_id "
    "FROM devices d JOIN subsystems s ON s.id = d.subsystem_id ";

DeviceIdentity readIdentity(const Query& q) {
  DeviceIdentity d;
  d.rowId = q.int64(0);
  d.name = q.text(1);
  d.handle = static_cast<qint32>(q.int64(2));
  d.programId = q.text(3);
  d.neuronId = q.text(4);
  d.subsystemId = q.int64(5);
  d.subsystemName = q.text(6);
  d.systemId = q.int64(7);
  return d;
}

}  // namespace

std::optional<DeviceIdentity> DatabaseRuntimeContext::device(qint64 rowId) {
  static const QByteArray sql = QByteArray(kIdentityColumns) + "WHERE d.id=?1";
  Query q = db_.query(sql.constData());
  q.bind(1, rowId);
  if (!q.next())
    return std::nullopt;
  return readIdentity(q);
}

std::optional<DeviceIdentity> DatabaseRuntimeContext::deviceByNeuronId(qint64 systemId, const QString& neuronId) {
  static const QByteArray sql = QByteArray(kIdentityColumns) + "WHERE d.system_id=?1 AND d.neuron_id=?2";
  Query q = db_.query(sql.constData());
  q.bindAll(systemId, neuronId.toUpper());
  if (!q.next())
    return std::nullopt;
  return readIdentity(q);
}

QList<DeviceIdentity> DatabaseRuntimeContext::subsystemDevices(qint64 subsystemId) {
  static const QByteArray sql = QByteArray(kIdentityColumns) + "WHERE d.subsystem_id=?1 ORDER BY d.id";
  Query q = db_.query(sql.constData());
  q.bind(1, subsystemId);
  QList<DeviceIdentity> out;
  while (q.next())
    out << readIdentity(q);
  return out;
}

std::optional<QString> DatabaseRuntimeContext::storedNvValue(qint64 deviceRowId, const QString& nvName) {
  return db_.query("SELECT value FROM nvs WHERE device_id=?1 AND name=?2").bindAll(deviceRowId, nvName).scalarText();
}

bool DatabaseRuntimeContext::storeNvValue(qint64 deviceRowId, const QString& nvName, const QString& value) {
  SimDatabase::Transaction tx(db_);
  qint64 id = 0;
  bool changed = false;
  {
    Query find = db_.query("SELECT id, value FROM nvs WHERE device_id=?1 AND name=?2");
    find.bindAll(deviceRowId, nvName);
    if (!find.next())
      return false;
    id = find.int64(0);
    changed = find.text(1) != value;
  }
  if (changed) {
    const qint64 seq = db_.bumpCounter("nv_change");
    db_.query("UPDATE nvs SET value=?1, changed_seq=?2 WHERE id=?3").bindAll(value, seq, id).run();
  }
  tx.commit();
  return true;
}

}  // namespace lnssim
