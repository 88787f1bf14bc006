#include "object_server.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <limits>

#include "platform/registry.h"
#include "platform/win_path.h"
#include "sim_objects.h"

namespace lnssim {

// --- shared state ------------------------------------------------------------

void notFound(const QString& what) {
  throw lns::LnsError(lns::kErrNotFound, QStringLiteral("Object not found: ") + what);
}

QString itemPath(const QString& parent, const QString& name) { return parent.isEmpty() ? name : parent + u'/' + name; }

SimDatabase& ServerCore::requireServer() {
  if (!db)
    throw lns::LnsError(lns::kErrNotOpen, QStringLiteral("The Object Server is not open"));
  return *db;
}

SimDatabase& ServerCore::requireNetwork(qint64 networkId) {
  SimDatabase& d = requireServer();
  if (!openNetworks.contains(networkId))
    throw lns::LnsError(lns::kErrNotOpen, QStringLiteral("The network is not open"));
  return d;
}

SimDatabase& ServerCore::requireSystem(qint64 systemId) {
  SimDatabase& d = requireServer();
  if (!openSystems.contains(systemId))
    throw lns::LnsError(lns::kErrNotOpen, QStringLiteral("The system is not open"));
  return d;
}

RuntimeContext& ServerCore::ctx() {
  requireServer();
  return *context;
}

bool ServerCore::offNet(qint64 systemId) {
  return requireServer().query("SELECT mgmt_mode FROM systems WHERE id=?1").bind(1, systemId).scalarInt().value_or(0) ==
         1;
}

void ServerCore::close() {
  transaction.reset();  // a pending transaction is dropped
  if (timer)
    timer->stop();
  interval = 0;
  openSystems.clear();
  openNetworks.clear();
  activeNi = 0;
  context.reset();
  db.reset();
}

namespace {

bool validName(const QString& name) {
  return !name.trimmed().isEmpty() && !name.contains(u'/') && name.size() <= 255 &&
         !name.contains(QRegularExpression(QStringLiteral("[\\x00-\\x1f]")));
}

void checkName(const QString& name, const char* what) {
  if (!validName(name))
    throw lns::LnsError(lns::kErrInvalidValue,
                        QStringLiteral("\"%1\" is not a valid %2 name (empty, too long, or holding \"/\" or a control "
                                       "character)")
                            .arg(name, QLatin1String(what)));
}

// --- network interfaces ------------------------------------------------------

class SimNetworkInterface : public lns::NetworkInterface, public SimRow {
 public:
  SimNetworkInterface(qint64 id, QString name) : id_(id), name_(std::move(name)) {}
  QString Name() override { return name_; }
  qint64 rowId() const override { return id_; }

 private:
  qint64 id_;
  QString name_;
};

lns::NetworkInterfacePtr loadInterface(SimDatabase& db, Query& q) {
  (void)db;
  return std::make_shared<SimNetworkInterface>(q.int64(0), q.text(1));
}

// --- subsystems -------------------------------------------------------------

class SimSubsystem : public lns::Subsystem, public SimRow {
 public:
  SimSubsystem(CorePtr core, qint64 id, qint64 systemId, QString name)
      : core_(std::move(core)), id_(id), systemId_(systemId), name_(std::move(name)) {}
  qint64 rowId() const override { return id_; }
  QString Name() override {
    core_->requireSystem(systemId_);
    return name_;
  }
  std::shared_ptr<lns::AppDevices> AppDevices() override {
    core_->requireSystem(systemId_);
    auto core = core_;
    const qint64 id = id_, systemId = systemId_;
    const QString path = name_;
    return std::make_shared<FnCollection<lns::AppDevice>>(
        [core, id, systemId] {
          return static_cast<qint32>(core->requireSystem(systemId)
                                         .query("SELECT count(*) FROM devices WHERE subsystem_id=?1")
                                         .bind(1, id)
                                         .scalarInt()
                                         .value_or(0));
        },
        [core, id, systemId, path](qint32 index) -> lns::AppDevicePtr {
          auto row = core->requireSystem(systemId)
                         .query("SELECT id FROM devices WHERE subsystem_id=?1 ORDER BY id LIMIT 1 OFFSET ?2")
                         .bindAll(id, qint64(index) - 1)
                         .scalarInt();
          if (index < 1 || !row)
            notFound(QStringLiteral("item %1 of %2").arg(index).arg(path));
          return makeDevice(core, *row);
        },
        [core, id, systemId, path](const QString& name) -> lns::AppDevicePtr {
          auto row = core->requireSystem(systemId)
                         .query("SELECT id FROM devices WHERE subsystem_id=?1 AND name=?2")
                         .bindAll(id, name)
                         .scalarInt();
          if (!row)
            notFound(itemPath(path, name));
          return makeDevice(core, *row);
        });
  }

 private:
  CorePtr core_;
  qint64 id_;
  qint64 systemId_;
  QString name_;
};

// --- systems ----------------------------------------------------------------

class SimSystem : public lns::System, public SimRow {
 public:
  SimSystem(CorePtr core, qint64 id, qint64 networkId, QString name)
      : core_(std::move(core)), id_(id), networkId_(networkId), name_(std::move(name)) {}
  qint64 rowId() const override { return id_; }
  QString Name() override {
    core_->requireServer();
    return name_;
  }
  void Open() override {
    SimDatabase& db = core_->requireNetwork(networkId_);
    if (!db.query("SELECT 1 FROM systems WHERE id=?1").bind(1, id_).scalarInt())
      notFound(QStringLiteral("system ") + name_);
    core_->openSystems.insert(id_, networkId_);
  }
  void SetEventInterval(qint32 ms) override {
    SimDatabase& db = core_->requireSystem(id_);
    core_->interval = ms > 0 ? ms : 0;
    if (ms <= 0) {
      if (core_->timer)
        core_->timer->stop();
      return;
    }
    core_->lastChange = db.counter("nv_change");
    if (!core_->timer) {
      core_->timer = std::make_unique<QTimer>();
      ServerCore* raw = core_.get();
      QObject::connect(core_->timer.get(), &QTimer::timeout, [raw] {
        // The server object may be gone while a copy of the core lives on in
        // objects; polling needs only the core.
        try {
          pollCore(*raw);
        } catch (const lns::LnsError&) {
          // A busy or vanished database: try again at the next tick.
        }
      });
    }
    core_->timer->start(ms);
  }
  std::shared_ptr<lns::Subsystems> Subsystems() override {
    core_->requireSystem(id_);
    auto core = core_;
    const qint64 id = id_;
    return std::make_shared<FnCollection<lns::Subsystem>>(
        [core, id] {
          return static_cast<qint32>(core->requireSystem(id)
                                         .query("SELECT count(*) FROM subsystems WHERE system_id=?1")
                                         .bind(1, id)
                                         .scalarInt()
                                         .value_or(0));
        },
        [core, id](qint32 index) -> lns::SubsystemPtr {
          auto row = core->requireSystem(id)
                         .query("SELECT id FROM subsystems WHERE system_id=?1 ORDER BY id LIMIT 1 OFFSET ?2")
                         .bindAll(id, qint64(index) - 1)
                         .scalarInt();
          if (index < 1 || !row)
            notFound(QStringLiteral("subsystem %1").arg(index));
          return makeSubsystem(core, *row);
        },
        [core, id](const QString& name) -> lns::SubsystemPtr {
          auto row = core->requireSystem(id)
                         .query("SELECT id FROM subsystems WHERE system_id=?1 AND name=?2")
                         .bindAll(id, name)
                         .scalarInt();
          if (!row)
            notFound(name);
          return makeSubsystem(core, *row);
        });
  }
  qint32 MgmtMode() override {
    return static_cast<qint32>(core_->requireSystem(id_)
                                   .query("SELECT mgmt_mode FROM systems WHERE id=?1")
                                   .bind(1, id_)
                                   .scalarInt()
                                   .value_or(0));
  }
  qint32 DataServerHandle() override {
    core_->requireSystem(id_);
    return static_cast<qint32>(id_);
  }
  bool IsOpen() override { return core_->db && core_->openSystems.contains(id_); }
  void Close() override {
    core_->requireServer();
    core_->openSystems.remove(id_);
    if (core_->openSystems.isEmpty() && core_->timer)
      core_->timer->stop();
  }
  lns::DeviceTemplatesPtr DeviceTemplates() override {
    core_->requireSystem(id_);
    return makeTemplates(core_, id_);
  }
  lns::ComponentAppsPtr ComponentApps() override {
    core_->requireSystem(id_);
    return makeComponentApps(core_, 2, id_, id_, name_);
  }
  QString ImportDirectory() override {
    SimDatabase& db = core_->requireSystem(id_);
    const QString stored =
        db.query("SELECT import_dir FROM systems WHERE id=?1").bind(1, id_).scalarText().value_or(QString());
    if (!stored.isEmpty())
      return stored;
    // The LonWorks tree's Import folder; without a LonWorks path, the Import
    // folder beside the database's folder.
    const auto lon = platform::Registry::value(platform::Hive::LocalMachine, QStringLiteral("SOFTWARE\\LonWorks"),
                                               QStringLiteral("LonWorks Path"));
    if (lon && platform::WinPath::isAbsolute(lon->data))
      return platform::WinPath::resolve(platform::WinPath::join(lon->data, QStringLiteral("Import")));
    return QDir::cleanPath(QFileInfo(db.path()).absolutePath() + QStringLiteral("/../Import"));
  }

 private:
  CorePtr core_;
  qint64 id_;
  qint64 networkId_;
  QString name_;
};

// --- networks ---------------------------------------------------------------

class SimNetwork : public lns::Network, public SimRow {
 public:
  SimNetwork(CorePtr core, qint64 id, QString name) : core_(std::move(core)), id_(id), name_(std::move(name)) {}
  qint64 rowId() const override { return id_; }
  void Open() override {
    SimDatabase& db = core_->requireServer();
    if (core_->remote && core_->activeNi == 0)
      throw lns::LnsError(lns::kErrNotOpen, QStringLiteral("The network ") + name_ +
                                                QStringLiteral(" cannot be opened remotely: no remote network "
                                                               "interface is active"));
    if (!db.query("SELECT 1 FROM networks WHERE id=?1").bind(1, id_).scalarInt())
      notFound(QStringLiteral("network ") + name_);
    core_->openNetworks.insert(id_);
  }
  QString Name() override {
    core_->requireServer();
    return name_;
  }
  std::shared_ptr<lns::Systems> Systems() override {
    core_->requireNetwork(id_);
    auto core = core_;
    const qint64 id = id_;
    const QString path = name_;
    auto load = [core, id](Query& q) -> lns::SystemPtr {
      return std::make_shared<SimSystem>(core, q.int64(0), id, q.text(1));
    };
    return std::make_shared<FnCollection<lns::System>>(
        [core, id] {
          return static_cast<qint32>(core->requireNetwork(id)
                                         .query("SELECT count(*) FROM systems WHERE network_id=?1")
                                         .bind(1, id)
                                         .scalarInt()
                                         .value_or(0));
        },
        [core, id, path, load](qint32 index) -> lns::SystemPtr {
          Query q = core->requireNetwork(id).query(
              "SELECT id, name FROM systems WHERE network_id=?1 ORDER BY idx LIMIT 1 OFFSET ?2");
          q.bindAll(id, qint64(index) - 1);
          if (index < 1 || !q.next())
            notFound(QStringLiteral("system %1 of %2").arg(index).arg(path));
          return load(q);
        },
        [core, id, path, load](const QString& name) -> lns::SystemPtr {
          Query q = core->requireNetwork(id).query("SELECT id, name FROM systems WHERE network_id=?1 AND name=?2");
          q.bindAll(id, name);
          if (!q.next())
            notFound(QStringLiteral("system ") + name + QStringLiteral(" of ") + path);
          return load(q);
        });
  }
  bool IsOpen() override { return core_->db && core_->openNetworks.contains(id_); }
  void Close() override {
    core_->requireServer();
    core_->openNetworks.remove(id_);
    for (auto it = core_->openSystems.begin(); it != core_->openSystems.end();) {
      if (it.value() == id_)
        it = core_->openSystems.erase(it);
      else
        ++it;
    }
    if (core_->openSystems.isEmpty() && core_->timer)
      core_->timer->stop();
  }

 private:
  CorePtr core_;
  qint64 id_;
  QString name_;
};

}  // namespace

lns::SubsystemPtr makeSubsystem(const CorePtr& core, qint64 subsystemId) {
  Query q = core->requireServer().query("SELECT system_id, name FROM subsystems WHERE id=?1");
  q.bind(1, subsystemId);
  if (!q.next())
    notFound(QStringLiteral("subsystem %1").arg(subsystemId));
  return std::make_shared<SimSubsystem>(core, subsystemId, q.int64(0), q.text(1));
}

// One poll of the update event: let the runtime advance, then raise code 1 for
// every device variable of an open system whose stored value changed since the
// last poll. An idle poll reads one counter.
void pollCore(ServerCore& core) {
  if (!core.db || core.interval <= 0 || core.openSystems.isEmpty())
    return;
  core.runtime->poll(*core.context);
  const qint64 now = core.db->counter("nv_change");
  if (now == core.lastChange)
    return;
  struct Change {
    qint64 nv;
    qint64 system;
    QString value;
  };
  QList<Change> changes;
  {
    Query q = core.db->query(
        "SELECT n.id, d.system_id, n.value FROM nvs n JOIN devices d ON d.id = n.device_id "
        "WHERE n.changed_seq > ?1 ORDER BY n.changed_seq");
    q.bind(1, core.lastChange);
    while (q.next())
      changes << Change{q.int64(0), q.int64(1), q.text(2)};
  }
  core.lastChange = now;
  if (!core.handler)
    return;
  // Keep what the handler needs alive even if it closes the server.
  const lns::UpdateHandler handler = core.handler;
  for (const Change& c : std::as_const(changes)) {
    if (!core.db || !core.openSystems.contains(c.system))
      continue;
    handler(1, c.value, makeNetworkVariable(core.shared_from_this(), c.nv));
  }
}

// --- the server -------------------------------------------------------------

SimObjectServer::SimObjectServer(ServerOptions options, std::shared_ptr<DeviceRuntime> runtime,
                                 const platform::Clock* clock)
    : core_(std::make_shared<ServerCore>()) {
  core_->options = std::move(options);
  core_->runtime = runtime ? std::move(runtime) : std::make_shared<StoredValueRuntime>();
  core_->clock = clock ? clock : &platform::SystemClock::instance();
}

SimObjectServer::~SimObjectServer() {
  core_->close();
  core_->handler = nullptr;
}

void SimObjectServer::setRuntime(std::shared_ptr<DeviceRuntime> runtime) {
  core_->runtime = runtime ? std::move(runtime) : std::make_shared<StoredValueRuntime>();
}

bool SimObjectServer::remoteFlag() { return core_->remote; }

void SimObjectServer::setRemoteFlag(bool remote) {
  if (core_->db && remote != core_->remote)
    throw lns::LnsError(kErrServerOpen, QStringLiteral("remoteFlag cannot be changed while the Object Server is open"));
  core_->remote = remote;
}

bool SimObjectServer::IsOpen() { return core_->db != nullptr; }

void SimObjectServer::Open() {
  if (core_->db)
    return;
  const QString path = core_->options.databasePath.isEmpty() ? SimDatabase::defaultPath() : core_->options.databasePath;
  SimDatabase::Options o;
  o.createIfMissing = core_->options.createIfMissing;
  o.readOnly = core_->options.readOnly;
  o.busyTimeoutMs = core_->options.busyTimeoutMs;
  core_->db = std::make_unique<SimDatabase>(path, o);
  core_->context = std::make_unique<DatabaseRuntimeContext>(*core_->db, *core_->clock);
}

void SimObjectServer::Close() { core_->close(); }

void SimObjectServer::setSingleUserMode(bool single) { core_->singleUser = single; }

bool SimObjectServer::singleUserMode() const { return core_->singleUser; }

std::shared_ptr<lns::NetworkInterfaces> SimObjectServer::NetworkInterfaces() {
  core_->requireServer();
  auto core = core_;
  return std::make_shared<FnCollection<lns::NetworkInterface>>(
      [core] {
        return static_cast<qint32>(
            core->requireServer().query("SELECT count(*) FROM network_interfaces").scalarInt().value_or(0));
      },
      [core](qint32 index) -> lns::NetworkInterfacePtr {
        SimDatabase& db = core->requireServer();
        Query q = db.query("SELECT id, name FROM network_interfaces ORDER BY id LIMIT 1 OFFSET ?1");
        q.bind(1, qint64(index) - 1);
        if (index < 1 || !q.next())
          notFound(QStringLiteral("network interface %1").arg(index));
        return loadInterface(db, q);
      },
      [core](const QString& name) -> lns::NetworkInterfacePtr {
        SimDatabase& db = core->requireServer();
        Query q = db.query("SELECT id, name FROM network_interfaces WHERE name=?1");
        q.bind(1, name);
        if (!q.next())
          notFound(QStringLiteral("network interface ") + name);
        return loadInterface(db, q);
      });
}

void SimObjectServer::setActiveRemoteNI(lns::NetworkInterfacePtr ni) {
  SimDatabase& db = core_->requireServer();
  if (!ni) {
    core_->activeNi = 0;
    return;
  }
  if (!core_->remote)
    throw lns::LnsError(lns::kErrInvalidValue,
                        QStringLiteral("ActiveRemoteNI can be set only while the Object Server works remotely"));
  const qint64 id = rowIdOf(ni.get());
  if (id == 0 || !db.query("SELECT 1 FROM network_interfaces WHERE id=?1").bind(1, id).scalarInt())
    notFound(QStringLiteral("network interface ") + ni->Name());
  core_->activeNi = id;
}

lns::NetworkInterfacePtr SimObjectServer::ActiveRemoteNI() {
  SimDatabase& db = core_->requireServer();
  if (core_->activeNi == 0)
    return nullptr;
  Query q = db.query("SELECT id, name FROM network_interfaces WHERE id=?1");
  q.bind(1, core_->activeNi);
  if (!q.next())
    return nullptr;
  return loadInterface(db, q);
}

std::shared_ptr<lns::Networks> SimObjectServer::Networks() {
  core_->requireServer();
  auto core = core_;
  return std::make_shared<FnCollection<lns::Network>>(
      [core] {
        return static_cast<qint32>(
            core->requireServer().query("SELECT count(*) FROM networks").scalarInt().value_or(0));
      },
      [core](qint32 index) -> lns::NetworkPtr {
        Query q = core->requireServer().query("SELECT id, name FROM networks ORDER BY id LIMIT 1 OFFSET ?1");
        q.bind(1, qint64(index) - 1);
        if (index < 1 || !q.next())
          notFound(QStringLiteral("network %1").arg(index));
        return std::make_shared<SimNetwork>(core, q.int64(0), q.text(1));
      },
      [core](const QString& name) -> lns::NetworkPtr {
        Query q = core->requireServer().query("SELECT id, name FROM networks WHERE name=?1");
        q.bind(1, name);
        if (!q.next())
          notFound(QStringLiteral("network ") + name);
        return std::make_shared<SimNetwork>(core, q.int64(0), q.text(1));
      });
}

lns::ComponentAppsPtr SimObjectServer::componentApps() {
  core_->requireServer();
  return makeComponentApps(core_, 1, 0, 0, QStringLiteral("Object Server"));
}

void SimObjectServer::setUpdateHandler(lns::UpdateHandler handler) { core_->handler = std::move(handler); }

SimDatabase& SimObjectServer::database() { return core_->requireServer(); }

RuntimeContext& SimObjectServer::runtimeContext() { return core_->ctx(); }

QString SimObjectServer::databasePath() const { return core_->db ? core_->db->path() : core_->options.databasePath; }

QString SimObjectServer::DatabaseLocation() {
  if (core_->db)
    return core_->db->path();
  if (!core_->options.databasePath.isEmpty())
    return core_->options.databasePath;
  try {
    return SimDatabase::defaultPath();
  } catch (const lns::LnsError&) {
    return QString();  // no LonWorks tree: no file to name
  }
}

qint64 SimObjectServer::createNetwork(const QString& name) {
  SimDatabase& db = core_->requireServer();
  checkName(name, "network");
  SimDatabase::Transaction tx(db);
  if (db.query("SELECT 1 FROM networks WHERE name=?1").bind(1, name).scalarInt())
    throw lns::LnsError(lns::kErrNameInUse, QStringLiteral("A network named %1 exists already").arg(name));
  db.query("INSERT INTO networks(name) VALUES(?1)").bind(1, name).run();
  const qint64 network = db.lastInsertId();
  db.query("INSERT INTO systems(network_id, idx, name) VALUES(?1, 1, ?2)").bindAll(network, name).run();
  tx.commit();
  return network;
}

qint64 SimObjectServer::createSubsystem(qint64 systemId, const QString& name) {
  SimDatabase& db = core_->requireServer();
  checkName(name, "subsystem");
  SimDatabase::Transaction tx(db);
  if (!db.query("SELECT 1 FROM systems WHERE id=?1").bind(1, systemId).scalarInt())
    notFound(QStringLiteral("system %1").arg(systemId));
  if (db.query("SELECT 1 FROM subsystems WHERE system_id=?1 AND name=?2").bindAll(systemId, name).scalarInt())
    throw lns::LnsError(lns::kErrNameInUse, QStringLiteral("A subsystem named %1 exists already").arg(name));
  db.query("INSERT INTO subsystems(system_id, name) VALUES(?1, ?2)").bindAll(systemId, name).run();
  const qint64 id = db.lastInsertId();
  tx.commit();
  return id;
}

namespace {

bool isHexText(const QString& text, int digits) {
  static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]+$"));
  return text.size() == digits && hex.match(text).hasMatch();
}

qint64 insertDevice(SimDatabase& db, const NewDevice& d) {
  checkName(d.name, "device");
  Query sub = db.query("SELECT system_id, name FROM subsystems WHERE id=?1");
  sub.bind(1, d.subsystemId);
  if (!sub.next())
    notFound(QStringLiteral("subsystem %1").arg(d.subsystemId));
  const qint64 systemId = sub.int64(0);
  const QString subName = sub.text(1);

  QString programId = d.programId.toUpper();
  if (d.templateId != 0) {
    auto tplProgram = db.query("SELECT program_id FROM templates WHERE id=?1 AND system_id=?2")
                          .bindAll(d.templateId, systemId)
                          .scalarText();
    if (!tplProgram)
      notFound(QStringLiteral("device template %1").arg(d.templateId));
    if (programId.isEmpty())
      programId = *tplProgram;
    else if (!tplProgram->isEmpty() && programId != *tplProgram)
      throw lns::LnsError(
          lns::kErrInvalidValue,
          QStringLiteral("The program identifier %1 is not the template's (%2)").arg(programId, *tplProgram));
  }
  if (!isHexText(programId, 16))
    throw lns::LnsError(lns::kErrInvalidValue,
                        QStringLiteral("\"%1\" is not a program identifier of 16 hexadecimal digits").arg(programId));

  if (db.query("SELECT 1 FROM devices WHERE subsystem_id=?1 AND name=?2").bindAll(d.subsystemId, d.name).scalarInt())
    throw lns::LnsError(lns::kErrNameInUse,
                        QStringLiteral("A device named %1 exists already in %2").arg(d.name, subName));

  qint32 handle = 0;
  if (d.handle) {
    handle = *d.handle;
    if (db.query("SELECT 1 FROM devices WHERE system_id=?1 AND handle=?2")
            .bindAll(systemId, qint64(handle))
            .scalarInt())
      throw lns::LnsError(lns::kErrNameInUse, QStringLiteral("The handle %1 is in use in this system").arg(handle));
  } else {
    const qint64 next = db.query("SELECT coalesce(max(handle), 0) + 1 FROM devices WHERE system_id=?1")
                            .bind(1, systemId)
                            .scalarInt()
                            .value_or(1);
    if (next > std::numeric_limits<qint32>::max())
      throw lns::LnsError(lns::kErrInvalidValue, QStringLiteral("No free device handle is left in this system"));
    handle = static_cast<qint32>(std::max<qint64>(next, 1));
  }

  QString neuron = d.neuronId.toUpper();
  auto neuronTaken = [&](const QString& id) {
    return db.query("SELECT 1 FROM devices WHERE system_id=?1 AND neuron_id=?2")
        .bindAll(systemId, id)
        .scalarInt()
        .has_value();
  };
  if (neuron.isEmpty()) {
    // A made-up Neuron ID: family 05, the system and the handle, stepping on when taken.
    quint64 candidate = (quint64(0x05) << 40) | (quint64(systemId & 0xff) << 32) | quint32(handle);
    do {
      neuron = QStringLiteral("%1").arg(candidate & 0xffffffffffffULL, 12, 16, QLatin1Char('0')).toUpper();
      ++candidate;
    } while (neuronTaken(neuron));
  } else {
    if (!isHexText(neuron, 12))
      throw lns::LnsError(lns::kErrInvalidValue,
                          QStringLiteral("\"%1\" is not a Neuron ID of 12 hexadecimal digits").arg(d.neuronId));
    if (neuronTaken(neuron))
      throw lns::LnsError(lns::kErrNameInUse, QStringLiteral("The Neuron ID %1 is in use in this system").arg(neuron));
  }

  Query ins = db.query(
      "INSERT INTO devices(subsystem_id, system_id, name, handle, program_id, neuron_id, template_id) "
      "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  ins.bindAll(d.subsystemId, systemId, d.name, qint64(handle), programId, neuron);
  if (d.templateId != 0)
    ins.bind(7, d.templateId);
  else
    ins.bindNull(7);
  ins.run();
  const qint64 id = db.lastInsertId();
  if (d.templateId != 0)
    copyTemplateInterface(db, d.templateId, id);
  return id;
}

}  // namespace

qint64 SimObjectServer::createDevice(const NewDevice& device) { return createDevices({device}).front(); }

QList<qint64> SimObjectServer::createDevices(const QList<NewDevice>& devices) {
  SimDatabase& db = core_->requireServer();
  SimDatabase::Transaction tx(db);
  QList<qint64> ids;
  ids.reserve(devices.size());
  for (const NewDevice& d : devices)
    ids << insertDevice(db, d);
  tx.commit();
  return ids;
}

void SimObjectServer::setMgmtMode(qint64 systemId, qint32 mode) {
  SimDatabase& db = core_->requireServer();
  if (mode != 0 && mode != 1)
    throw lns::LnsError(lns::kErrInvalidValue,
                        QStringLiteral("Management mode %1 is neither 0 (on-net) nor 1 (off-net)").arg(mode));
  SimDatabase::Transaction tx(db);
  db.query("UPDATE systems SET mgmt_mode=?1 WHERE id=?2").bindAll(qint64(mode), systemId).run();
  if (db.changes() == 0)
    notFound(QStringLiteral("system %1").arg(systemId));
  tx.commit();
}

qint64 SimObjectServer::addNetworkInterface(const QString& name) {
  SimDatabase& db = core_->requireServer();
  checkName(name, "network interface");
  SimDatabase::Transaction tx(db);
  if (db.query("SELECT 1 FROM network_interfaces WHERE name=?1").bind(1, name).scalarInt())
    throw lns::LnsError(lns::kErrNameInUse, QStringLiteral("A network interface named %1 exists already").arg(name));
  db.query("INSERT INTO network_interfaces(name) VALUES(?1)").bind(1, name).run();
  const qint64 id = db.lastInsertId();
  tx.commit();
  return id;
}

void SimObjectServer::pollUpdates() { pollCore(*core_); }

qint32 SimObjectServer::eventInterval() const { return core_->interval; }

bool SimObjectServer::eventTimerActive() const { return core_->timer && core_->timer->isActive(); }

qint64 rowIdOf(const lns::LnsObject* object) {
  const auto* row = dynamic_cast<const SimRow*>(object);
  return row ? row->rowId() : 0;
}

}  // namespace lnssim
