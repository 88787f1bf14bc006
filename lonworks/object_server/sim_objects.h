#pragma once
// Inside the simulated Object Server: the state shared by the server and every
// object it hands out, and the constructors of the objects. Not for use
// outside this folder.

#include <QHash>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>

#include "lonworks/object_server/object_server.h"
#include "lonworks/object_server/sim_database.h"

namespace lnssim {

// Implemented by every object of the simulated server.
class SimRow {
 public:
  virtual ~SimRow() = default;
  virtual qint64 rowId() const = 0;
};

struct ServerCore : std::enable_shared_from_this<ServerCore> {
  ServerOptions options;
  std::shared_ptr<DeviceRuntime> runtime;
  const platform::Clock* clock = nullptr;
  std::unique_ptr<SimDatabase> db;
  std::unique_ptr<DatabaseRuntimeContext> context;
  bool remote = false;
  bool singleUser = false;
  qint64 activeNi = 0;
  QSet<qint64> openNetworks;
  QHash<qint64, qint64> openSystems;  // system row -> network row
  lns::UpdateHandler handler;
  std::unique_ptr<QTimer> timer;
  qint32 interval = 0;
  qint64 lastChange = 0;
  // The client's pending transaction (StartTransaction), if any.
  std::unique_ptr<SimDatabase::Transaction> transaction;

  SimDatabase& requireServer();
  SimDatabase& requireNetwork(qint64 networkId);
  SimDatabase& requireSystem(qint64 systemId);
  RuntimeContext& ctx();
  DeviceRuntime& rt() { return *runtime; }
  bool offNet(qint64 systemId);
  void close();
};
using CorePtr = std::shared_ptr<ServerCore>;

// One poll of the update event (the timer's tick and SimObjectServer::pollUpdates).
void pollCore(ServerCore& core);

[[noreturn]] void notFound(const QString& what);

// Who owns an interface: a device or a device template.
struct Owner {
  bool isTemplate = false;
  qint64 id = 0;
};

// A collection whose members come from functions.
template <class T, class Base = lns::Collection<T>>
class FnCollection : public Base {
 public:
  using CountFn = std::function<qint32()>;
  using IndexFn = std::function<std::shared_ptr<T>(qint32)>;
  using NameFn = std::function<std::shared_ptr<T>(const QString&)>;
  FnCollection(CountFn count, IndexFn byIndex, NameFn byName)
      : count_(std::move(count)), byIndex_(std::move(byIndex)), byName_(std::move(byName)) {}
  qint32 Count() override { return count_(); }
  std::shared_ptr<T> Item(qint32 index) override { return byIndex_(index); }
  std::shared_ptr<T> Item(const QString& name) override { return byName_(name); }

 private:
  CountFn count_;
  IndexFn byIndex_;
  NameFn byName_;
};

// Objects, built from their rows. Each throws kErrNotFound when the row is gone.
lns::SubsystemPtr makeSubsystem(const CorePtr& core, qint64 subsystemId);
lns::AppDevicePtr makeDevice(const CorePtr& core, qint64 deviceId);
lns::DeviceInterfacePtr makeInterface(const CorePtr& core, Owner owner, qint64 systemId, const QString& path);
lns::NetworkVariablePtr makeNetworkVariable(const CorePtr& core, qint64 nvId);
lns::DeviceTemplatesPtr makeTemplates(const CorePtr& core, qint64 systemId);
// scope 1 (owner 0, systemId 0), 2 (system), 3 (template), 4 (template's LonMark object)
lns::ComponentAppsPtr makeComponentApps(const CorePtr& core, qint32 scope, qint64 ownerId, qint64 systemId,
                                        const QString& path);

// Copies a template's interface (objects, variables, properties with their
// values) to a device. Runs inside the caller's transaction.
void copyTemplateInterface(SimDatabase& db, qint64 templateId, qint64 deviceId);

// "Object not found: " texts use these paths.
QString itemPath(const QString& parent, const QString& name);

}  // namespace lnssim
