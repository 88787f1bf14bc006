#pragma once
// The device side of the simulated Object Server. Reading a network variable
// or configuration property of a device asks that device's runtime; writing
// one hands the value to it; AppDevice::Test() asks it to answer. A runtime
// that cannot reach the device throws lns::LnsError(kErrDeviceNoResponse).
//
// The Object Server keeps the last written value of every variable and
// property in the database and passes it to the runtime (storedValue), so a
// runtime that only keeps values needs nothing of its own (StoredValueRuntime).
// A device model keeps its own state in its own tables of the same database
// (SimDatabase::ensureComponentSchema) and reports variables that changed by
// storing them through the context (storeNvValue): the Object Server's update
// event sees every stored change, from this process or another one.

#include <QList>
#include <QString>
#include <optional>

#include "platform/clock.h"

namespace lnssim {

class SimDatabase;

// Who a device is.
struct DeviceIdentity {
  qint64 rowId = 0;  // the device's row in the database
  QString name;
  qint32 handle = 0;  // unique within the system
  QString programId;  // 16 upper-case hexadecimal digits
  QString neuronId;   // 12 upper-case hexadecimal digits
  qint64 subsystemId = 0;
  QString subsystemName;
  qint64 systemId = 0;  // also the system's data-server handle
};

// One read or write of a network variable or configuration property.
struct PointAccess {
  enum class Kind { NetworkVariable, ConfigProperty };
  Kind kind = Kind::NetworkVariable;
  DeviceIdentity device;
  qint64 pointId = 0;       // row of the variable or property
  QString name;             // "nvoCnctStat1", "UCPT_DialMode"
  qint32 objectIndex = -1;  // index of the LonMark object it belongs to, -1 for none
  QString objectName;
  qint32 element = -1;  // element of an array property (from 0), -1 for the whole value
  qint32 elementCount = 1;
  QString storedValue;  // the value the database holds (of the element, for an element access)
};

// What a runtime may use: the database, the clock and the devices around it.
class RuntimeContext {
 public:
  virtual ~RuntimeContext() = default;
  virtual SimDatabase& database() = 0;
  // Wall time in epoch milliseconds for anything stored; several processes share it.
  virtual const platform::Clock& clock() = 0;
  virtual std::optional<DeviceIdentity> device(qint64 rowId) = 0;
  virtual std::optional<DeviceIdentity> deviceByNeuronId(qint64 systemId, const QString& neuronId) = 0;
  // The devices of a subsystem, in creation order.
  virtual QList<DeviceIdentity> subsystemDevices(qint64 subsystemId) = 0;
  // The stored value of a device's network variable; nullopt when it has none of that name.
  virtual std::optional<QString> storedNvValue(qint64 deviceRowId, const QString& nvName) = 0;
  // Stores a network variable value as the device now reports it. A value that
  // differs from the stored one raises the update event at the next poll.
  // Returns false when the device has no variable of that name.
  virtual bool storeNvValue(qint64 deviceRowId, const QString& nvName, const QString& value) = 0;
};

// A context over a database alone, for processes without an Object Server
// (the data server) and for the Object Server itself.
class DatabaseRuntimeContext : public RuntimeContext {
 public:
  DatabaseRuntimeContext(SimDatabase& db, const platform::Clock& clock) : db_(db), clock_(clock) {}
  SimDatabase& database() override { return db_; }
  const platform::Clock& clock() override { return clock_; }
  std::optional<DeviceIdentity> device(qint64 rowId) override;
  std::optional<DeviceIdentity> deviceByNeuronId(qint64 systemId, const QString& neuronId) override;
  QList<DeviceIdentity> subsystemDevices(qint64 subsystemId) override;
  std::optional<QString> storedNvValue(qint64 deviceRowId, const QString& nvName) override;
  bool storeNvValue(qint64 deviceRowId, const QString& nvName, const QString& value) override;

 private:
  SimDatabase& db_;
  const platform::Clock& clock_;
};

class DeviceRuntime {
 public:
  virtual ~DeviceRuntime() = default;
  // The value the device reports; throws kErrDeviceNoResponse when it does not answer.
  virtual QString readNv(RuntimeContext& ctx, const PointAccess& nv) = 0;
  // The value reached the device (the Object Server stores it afterwards);
  // throws kErrDeviceNoResponse when it did not, kErrInvalidValue when the
  // device refuses it.
  virtual void writeNv(RuntimeContext& ctx, const PointAccess& nv, const QString& value) = 0;
  virtual QString readCp(RuntimeContext& ctx, const PointAccess& cp) = 0;
  virtual void writeCp(RuntimeContext& ctx, const PointAccess& cp, const QString& value) = 0;
  // AppDevice::Test(): returns when the device answers, throws kErrDeviceNoResponse otherwise.
  virtual void test(RuntimeContext& ctx, const DeviceIdentity& device) = 0;
  // Called at every poll of the update event, before the Object Server looks
  // for changed variables: a device model advances its state here and stores
  // what changed. Keep it cheap when nothing is due.
  virtual void poll(RuntimeContext& ctx) { (void)ctx; }
};

// The default runtime: every device answers and keeps what was written.
class StoredValueRuntime : public DeviceRuntime {
 public:
  QString readNv(RuntimeContext&, const PointAccess& nv) override { return nv.storedValue; }
  void writeNv(RuntimeContext&, const PointAccess&, const QString&) override {}
  QString readCp(RuntimeContext&, const PointAccess& cp) override { return cp.storedValue; }
  void writeCp(RuntimeContext&, const PointAccess&, const QString&) override {}
  void test(RuntimeContext&, const DeviceIdentity&) override {}
};

}  // namespace lnssim
