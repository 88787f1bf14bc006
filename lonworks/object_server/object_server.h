#pragma once
// The simulated LNS Object Server: every class of host/lns/lns.h over the
// network database (sim_database.h), with the device runtime of
// device_runtime.h behind network variables, configuration properties and
// AppDevice::Test().
//
// Open state is per Object Server instance, the way each LNS client opens the
// server, networks and systems for itself. Members that read or change the
// database need the server open; members of a network's systems need the
// network open; members of a system and of everything in it (subsystems,
// devices, templates, ...) need the system open. Otherwise they throw
// kErrNotOpen.
//
// Remote mode: with remoteFlag set, a network opens only after a network
// interface has been made the ActiveRemoteNI. Off-net (management mode 1):
// network variables and AppDevice::Test() cannot reach devices and throw
// kErrOffNet; configuration properties are read and written in the database
// only, as LNS keeps them until the system goes on-net again.

#include <QList>
#include <QString>
#include <memory>
#include <optional>

#include "host/lns/lns.h"
#include "lonworks/object_server/device_runtime.h"

namespace lnssim {

class SimDatabase;
struct ServerCore;

// Error numbers beyond those of lns.h.
enum SimErrorNumber : qint32 {
  kErrServerOpen = 4019,  // remoteFlag cannot change while the server is open
  kErrOffNet = 4033,      // the system is off-net: devices cannot be reached
};

struct ServerOptions {
  QString databasePath;          // empty: <LonWorks Path>\Database\lns.db, read at Open
  bool createIfMissing = false;  // Open creates an empty database when there is none
  bool readOnly = false;
  int busyTimeoutMs = 5000;  // how long a change waits for another writer
};

// A device to add (SimObjectServer::createDevice).
struct NewDevice {
  qint64 subsystemId = 0;
  QString name;
  QString programId;             // 16 hexadecimal digits; empty: the template's
  QString neuronId;              // 12 hexadecimal digits; empty: a free one is chosen
  std::optional<qint32> handle;  // empty: the next free handle of the system
  qint64 templateId = 0;         // the device gets a copy of the template's interface
};

class SimObjectServer : public lns::ObjectServer {
 public:
  explicit SimObjectServer(ServerOptions options = {}, std::shared_ptr<DeviceRuntime> runtime = nullptr,
                           const platform::Clock* clock = nullptr);
  ~SimObjectServer() override;
  SimObjectServer(const SimObjectServer&) = delete;
  SimObjectServer& operator=(const SimObjectServer&) = delete;

  // The runtime that devices answer through (StoredValueRuntime by default).
  void setRuntime(std::shared_ptr<DeviceRuntime> runtime);

  // lns::ObjectServer
  bool remoteFlag() override;
  void setRemoteFlag(bool remote) override;
  bool IsOpen() override;
  void Open() override;
  void Close() override;
  void setSingleUserMode(bool single) override;
  std::shared_ptr<lns::NetworkInterfaces> NetworkInterfaces() override;
  void setActiveRemoteNI(lns::NetworkInterfacePtr ni) override;
  lns::NetworkInterfacePtr ActiveRemoteNI() override;
  std::shared_ptr<lns::Networks> Networks() override;
  lns::ComponentAppsPtr componentApps() override;
  void setUpdateHandler(lns::UpdateHandler handler) override;
  // Transactions over the network database (transactions.cpp).
  void StartTransaction() override;
  void CommitTransaction() override;
  void CancelTransaction() override;
  bool inTransaction() const;
  // The SQLite file: the one open, the one the options name, or the one under
  // the LonWorks tree the registry names.
  QString DatabaseLocation() override;

  // Beyond the automation interface: administration for lnsdb, tests and the
  // simulation. All need the server open and throw LnsError.
  SimDatabase& database();
  RuntimeContext& runtimeContext();
  QString databasePath() const;
  bool singleUserMode() const;
  // A network with its first system (same name, index 1); returns the network's row.
  qint64 createNetwork(const QString& name);
  qint64 createSubsystem(qint64 systemId, const QString& name);
  qint64 createDevice(const NewDevice& device);
  // Many devices in one transaction; all or none are added.
  QList<qint64> createDevices(const QList<NewDevice>& devices);
  void setMgmtMode(qint64 systemId, qint32 mode);
  qint64 addNetworkInterface(const QString& name);

  // One poll of the update event, as the timer runs it after
  // System::SetEventInterval. Does nothing while no interval is set.
  void pollUpdates();
  qint32 eventInterval() const;
  bool eventTimerActive() const;

 private:
  std::shared_ptr<ServerCore> core_;
};

// The database row behind an object of the simulated server (the system's row
// is its data-server handle); 0 for anything else.
qint64 rowIdOf(const lns::LnsObject* object);
inline qint64 rowIdOf(const std::shared_ptr<lns::LnsObject>& object) { return rowIdOf(object.get()); }

}  // namespace lnssim
