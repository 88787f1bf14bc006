// Devices and what they hold: the interface, LonMark objects, network
// variables, configuration properties and extension records.

#include "lonworks/object_server/array_value.h"
#include "sim_objects.h"

namespace lnssim {

namespace {

constexpr qsizetype kMaxValueChars = 1024;
constexpr qsizetype kMaxFieldChars = 65535;

bool plainText(const QString& text) {
  for (QChar c : text)
    if (c.unicode() < 0x20)
      return false;
  return true;
}

void checkValue(const QString& text, const QString& path) {
  if (text.size() > kMaxValueChars || !plainText(text))
    throw lns::LnsError(lns::kErrInvalidValue,
                        QStringLiteral("%1 cannot hold that value (at most %2 characters, no control characters)")
                            .arg(path)
                            .arg(kMaxValueChars));
}

[[noreturn]] void offNet(const QString& path) {
  throw lns::LnsError(kErrOffNet, QStringLiteral("The system is off-net: %1 cannot be reached").arg(path));
}

// --- network variables ----------------------------------------------------

class SimNetworkVariable : public lns::NetworkVariable, public SimRow {
 public:
  struct Row {
    qint64 id = 0, deviceId = 0, templateId = 0, systemId = 0;
    QString name, objectName, path;
    qint32 objectIndex = -1;
  };
  SimNetworkVariable(CorePtr core, Row row) : core_(std::move(core)), r_(std::move(row)) {}
  qint64 rowId() const override { return r_.id; }
  QString Name() override {
    core_->requireSystem(r_.systemId);
    return r_.name;
  }
  QString Value() override {
    const QString stored = storedValue();
    if (r_.deviceId == 0)
      return stored;
    if (core_->offNet(r_.systemId))
      offNet(r_.path);
    return core_->rt().readNv(core_->ctx(), access(stored));
  }
  void SetValue(const QString& text) override {
    checkValue(text, r_.path);
    const QString stored = storedValue();
    if (r_.deviceId == 0) {
      core_->requireSystem(r_.systemId).query("UPDATE nvs SET value=?1 WHERE id=?2").bindAll(text, r_.id).run();
      return;
    }
    if (core_->offNet(r_.systemId))
      offNet(r_.path);
    core_->rt().writeNv(core_->ctx(), access(stored), text);
    core_->ctx().storeNvValue(r_.deviceId, r_.name, text);
  }

 private:
  QString storedValue() {
    auto v = core_->requireSystem(r_.systemId).query("SELECT value FROM nvs WHERE id=?1").bind(1, r_.id).scalarText();
    if (!v)
      notFound(r_.path);
    return *v;
  }
  PointAccess access(const QString& stored) {
    PointAccess a;
    a.kind = PointAccess::Kind::NetworkVariable;
    auto device = core_->ctx().device(r_.deviceId);
    if (!device)
      notFound(r_.path);
    a.device = *device;
    a.pointId = r_.id;
    a.name = r_.name;
    a.objectIndex = r_.objectIndex;
    a.objectName = r_.objectName;
    a.storedValue = stored;
    return a;
  }

  CorePtr core_;
  Row r_;
};

// --- configuration properties ---------------------------------------------

class SimConfigProperty : public lns::ConfigProperty, public SimRow {
 public:
  struct Row {
    qint64 id = 0, deviceId = 0, systemId = 0;
    QString name, objectName, path;
    qint32 objectIndex = -1, count = 1;
  };
  SimConfigProperty(CorePtr core, Row row) : core_(std::move(core)), r_(std::move(row)) {}
  qint64 rowId() const override { return r_.id; }
  QString Name() override {
    core_->requireSystem(r_.systemId);
    return r_.name;
  }
  qint32 ElementCount() override {
    core_->requireSystem(r_.systemId);
    return r_.count;
  }
  QString Value() override {
    const QStringList elements = stored();
    const QString whole = r_.count == 1 ? elements.value(0) : joinElements(elements);
    if (!reachesDevice())
      return whole;
    return core_->rt().readCp(core_->ctx(), access(-1, whole));
  }
  void SetValue(const QString& text) override {
    QStringList elements;
    if (r_.count == 1) {
      checkValue(text, r_.path);
      elements << text;
    } else {
      auto split = splitElements(text);
      if (!split || split->size() != r_.count)
        throw lns::LnsError(lns::kErrInvalidValue,
                            QStringLiteral("%1 holds %2 elements; its value is written as %2 quoted texts separated "
                                           "by commas")
                                .arg(r_.path)
                                .arg(r_.count));
      for (const QString& e : std::as_const(*split))
        checkValue(e, r_.path);
      elements = *split;
    }
    const QStringList before = stored();
    if (reachesDevice())
      core_->rt().writeCp(core_->ctx(), access(-1, r_.count == 1 ? before.value(0) : joinElements(before)), text);
    store(elements, 0);
  }
  QString Element(qint32 index) override {
    checkIndex(index);
    const QString value = stored().value(index);
    if (!reachesDevice())
      return value;
    return core_->rt().readCp(core_->ctx(), access(index, value));
  }
  void SetElement(qint32 index, const QString& text) override {
    checkIndex(index);
    checkValue(text, r_.path);
    const QString before = stored().value(index);
    if (reachesDevice())
      core_->rt().writeCp(core_->ctx(), access(index, before), text);
    store({text}, index);
  }

 private:
  void checkIndex(qint32 index) {
    core_->requireSystem(r_.systemId);
    if (index < 0 || index >= r_.count)
      throw lns::LnsError(lns::kErrIndexRange, QStringLiteral("Element %1 is outside %2, which has elements 0 to %3")
                                                   .arg(index)
                                                   .arg(r_.path)
                                                   .arg(r_.count - 1));
  }
  bool reachesDevice() { return r_.deviceId != 0 && !core_->offNet(r_.systemId); }
  QStringList stored() {
    SimDatabase& db = core_->requireSystem(r_.systemId);
    if (!db.query("SELECT 1 FROM cps WHERE id=?1").bind(1, r_.id).scalarInt())
      notFound(r_.path);
    QStringList out;
    for (qint32 i = 0; i < r_.count; ++i)
      out << QString();
    Query q = db.query("SELECT idx, value FROM cp_values WHERE cp_id=?1");
    q.bind(1, r_.id);
    while (q.next()) {
      const qint64 i = q.int64(0);
      if (i >= 0 && i < r_.count)
        out[i] = q.text(1);
    }
    return out;
  }
  void store(const QStringList& elements, qint32 first) {
    SimDatabase& db = core_->requireSystem(r_.systemId);
    SimDatabase::Transaction tx(db);
    for (qsizetype i = 0; i < elements.size(); ++i)
      db.query(
            "INSERT INTO cp_values(cp_id, idx, value) VALUES(?1, ?2, ?3) "
            "ON CONFLICT(cp_id, idx) DO UPDATE SET value=excluded.value")
          .bindAll(r_.id, qint64(first + i), elements[i])
          .run();
    tx.commit();
  }
  PointAccess access(qint32 element, const QString& storedValue) {
    PointAccess a;
    a.kind = PointAccess::Kind::ConfigProperty;
    auto device = core_->ctx().device(r_.deviceId);
    if (!device)
      notFound(r_.path);
    a.device = *device;
    a.pointId = r_.id;
    a.name = r_.name;
    a.objectIndex = r_.objectIndex;
    a.objectName = r_.objectName;
    a.element = element;
    a.elementCount = r_.count;
    a.storedValue = storedValue;
    return a;
  }

  CorePtr core_;
  Row r_;
};

// Row loaders. Paths: "Subsystem/Device/Object/Name", or "template T/Object/Name".
constexpr const char* kObjectColumns =
    "SELECT o.id, o.idx, o.name, o.display_name, o.device_id, o.template_id FROM lm_objects o ";

lns::ConfigPropertyPtr loadConfigProperty(const CorePtr& core, qint64 systemId, const QString& objectPath, Query& q) {
  // columns: c.id, c.name, c.element_count, o.idx, o.name, o.device_id
  SimConfigProperty::Row r;
  r.id = q.int64(0);
  r.name = q.text(1);
  r.count = static_cast<qint32>(q.int64(2));
  r.objectIndex = static_cast<qint32>(q.int64(3));
  r.objectName = q.text(4);
  r.deviceId = q.isNull(5) ? 0 : q.int64(5);
  r.systemId = systemId;
  r.path = itemPath(objectPath, r.name);
  return std::make_shared<SimConfigProperty>(core, r);
}

// --- LonMark objects --------------------------------------------------------

class SimLonMarkObject : public lns::LonMarkObject, public SimRow {
 public:
  SimLonMarkObject(CorePtr core, qint64 id, Owner owner, qint64 systemId, qint32 index, QString name, QString display,
                   QString path)
      : core_(std::move(core)),
        id_(id),
        owner_(owner),
        systemId_(systemId),
        index_(index),
        name_(std::move(name)),
        display_(std::move(display)),
        path_(std::move(path)) {}
  qint64 rowId() const override { return id_; }
  QString DisplayName() override {
    core_->requireSystem(systemId_);
    return display_;
  }
  QString Name() override {
    core_->requireSystem(systemId_);
    return name_;
  }
  qint32 Index() override {
    core_->requireSystem(systemId_);
    return index_;
  }
  lns::AppDevicePtr Device() override {
    core_->requireSystem(systemId_);
    if (owner_.isTemplate)
      throw lns::LnsError(
          lns::kErrNotFound,
          QStringLiteral("Object not found: %1 belongs to a device template, not to a device").arg(path_));
    return makeDevice(core_, owner_.id);
  }
  std::shared_ptr<lns::ConfigProperties> ConfigProperties() override {
    core_->requireSystem(systemId_);
    auto core = core_;
    const qint64 id = id_, systemId = systemId_;
    const QString path = path_;
    return std::make_shared<FnCollection<lns::ConfigProperty>>(
        [core, id, systemId] {
          return static_cast<qint32>(core->requireSystem(systemId)
                                         .query("SELECT count(*) FROM cps WHERE object_id=?1")
                                         .bind(1, id)
                                         .scalarInt()
                                         .value_or(0));
        },
        [core, id, systemId, path](qint32 index) -> lns::ConfigPropertyPtr {
          Query q = core->requireSystem(systemId).query(
              "SELECT c.id, c.name, c.element_count, o.idx, o.name, o.device_id FROM cps c "
              "JOIN lm_objects o ON o.id=c.object_id WHERE c.object_id=?1 ORDER BY c.id LIMIT 1 OFFSET ?2");
          q.bindAll(id, qint64(index) - 1);
          if (index < 1 || !q.next())
            notFound(QStringLiteral("property %1 of %2").arg(index).arg(path));
          return loadConfigProperty(core, systemId, path, q);
        },
        [core, id, systemId, path](const QString& name) -> lns::ConfigPropertyPtr {
          Query q = core->requireSystem(systemId).query(
              "SELECT c.id, c.name, c.element_count, o.idx, o.name, o.device_id FROM cps c "
              "JOIN lm_objects o ON o.id=c.object_id WHERE c.object_id=?1 AND c.name=?2");
          q.bindAll(id, name);
          if (!q.next())
            notFound(itemPath(path, name));
          return loadConfigProperty(core, systemId, path, q);
        });
  }
  std::shared_ptr<lns::NetworkVariables> NetworkVariables() override {
    core_->requireSystem(systemId_);
    auto core = core_;
    const qint64 id = id_, systemId = systemId_;
    const QString path = path_;
    return std::make_shared<FnCollection<lns::NetworkVariable>>(
        [core, id, systemId] {
          return static_cast<qint32>(core->requireSystem(systemId)
                                         .query("SELECT count(*) FROM nvs WHERE object_id=?1")
                                         .bind(1, id)
                                         .scalarInt()
                                         .value_or(0));
        },
        [core, id, systemId, path](qint32 index) -> lns::NetworkVariablePtr {
          auto row = core->requireSystem(systemId)
                         .query("SELECT id FROM nvs WHERE object_id=?1 ORDER BY nv_index LIMIT 1 OFFSET ?2")
                         .bindAll(id, qint64(index) - 1)
                         .scalarInt();
          if (index < 1 || !row)
            notFound(QStringLiteral("variable %1 of %2").arg(index).arg(path));
          return makeNetworkVariable(core, *row);
        },
        [core, id, systemId, path](const QString& name) -> lns::NetworkVariablePtr {
          auto row = core->requireSystem(systemId)
                         .query("SELECT id FROM nvs WHERE object_id=?1 AND name=?2")
                         .bindAll(id, name)
                         .scalarInt();
          if (!row)
            notFound(itemPath(path, name));
          return makeNetworkVariable(core, *row);
        });
  }
  lns::ComponentAppsPtr ComponentApps() override {
    core_->requireSystem(systemId_);
    if (!owner_.isTemplate)
      throw lns::LnsError(
          lns::kErrNotFound,
          QStringLiteral("Object not found: component applications of %1 (only LonMark objects of device "
                         "templates have them)")
              .arg(path_));
    return makeComponentApps(core_, 4, id_, systemId_, path_);
  }

 private:
  CorePtr core_;
  qint64 id_;
  Owner owner_;
  qint64 systemId_;
  qint32 index_;
  QString name_, display_, path_;
};

lns::LonMarkObjectPtr loadObject(const CorePtr& core, qint64 systemId, const QString& ownerPath, Query& q) {
  Owner owner;
  owner.isTemplate = q.isNull(4);
  owner.id = owner.isTemplate ? q.int64(5) : q.int64(4);
  const QString name = q.text(2);
  return std::make_shared<SimLonMarkObject>(core, q.int64(0), owner, systemId, static_cast<qint32>(q.int64(1)), name,
                                            q.text(3), itemPath(ownerPath, name));
}

// --- interfaces ------------------------------------------------------------

class SimInterface : public lns::DeviceInterface {
 public:
  SimInterface(CorePtr core, Owner owner, qint64 systemId, QString path)
      : core_(std::move(core)), owner_(owner), systemId_(systemId), path_(std::move(path)) {}
  std::shared_ptr<lns::NetworkVariables> NetworkVariables() override {
    core_->requireSystem(systemId_);
    auto core = core_;
    const Owner owner = owner_;
    const qint64 systemId = systemId_;
    const QString path = path_;
    return std::make_shared<FnCollection<lns::NetworkVariable>>(
        [core, owner, systemId] {
          Query q =
              core->requireSystem(systemId).query(owner.isTemplate ? "SELECT count(*) FROM nvs WHERE template_id=?1"
                                                                   : "SELECT count(*) FROM nvs WHERE device_id=?1");
          return static_cast<qint32>(q.bind(1, owner.id).scalarInt().value_or(0));
        },
        [core, owner, systemId, path](qint32 index) -> lns::NetworkVariablePtr {
          Query q = core->requireSystem(systemId).query(
              owner.isTemplate ? "SELECT id FROM nvs WHERE template_id=?1 ORDER BY nv_index LIMIT 1 OFFSET ?2"
                               : "SELECT id FROM nvs WHERE device_id=?1 ORDER BY nv_index LIMIT 1 OFFSET ?2");
          auto row = q.bindAll(owner.id, qint64(index) - 1).scalarInt();
          if (index < 1 || !row)
            notFound(QStringLiteral("variable %1 of %2").arg(index).arg(path));
          return makeNetworkVariable(core, *row);
        },
        [core, owner, systemId, path](const QString& name) -> lns::NetworkVariablePtr {
          Query q = core->requireSystem(systemId).query(owner.isTemplate
                                                            ? "SELECT id FROM nvs WHERE template_id=?1 AND name=?2"
                                                            : "SELECT id FROM nvs WHERE device_id=?1 AND name=?2");
          auto row = q.bindAll(owner.id, name).scalarInt();
          if (!row)
            notFound(itemPath(path, name));
          return makeNetworkVariable(core, *row);
        });
  }
  std::shared_ptr<lns::LonMarkObjects> LonMarkObjects() override {
    core_->requireSystem(systemId_);
    auto core = core_;
    const Owner owner = owner_;
    const qint64 systemId = systemId_;
    const QString path = path_;
    return std::make_shared<FnCollection<lns::LonMarkObject, lns::LonMarkObjects>>(
        [core, owner, systemId] {
          Query q = core->requireSystem(systemId).query(owner.isTemplate
                                                            ? "SELECT count(*) FROM lm_objects WHERE template_id=?1"
                                                            : "SELECT count(*) FROM lm_objects WHERE device_id=?1");
          return static_cast<qint32>(q.bind(1, owner.id).scalarInt().value_or(0));
        },
        [core, owner, systemId, path](qint32 index) -> lns::LonMarkObjectPtr {
          static const QByteArray byDevice =
              QByteArray(kObjectColumns) + "WHERE o.device_id=?1 ORDER BY o.idx LIMIT 1 OFFSET ?2";
          static const QByteArray byTemplate =
              QByteArray(kObjectColumns) + "WHERE o.template_id=?1 ORDER BY o.idx LIMIT 1 OFFSET ?2";
          Query q =
              core->requireSystem(systemId).query(owner.isTemplate ? byTemplate.constData() : byDevice.constData());
          q.bindAll(owner.id, qint64(index) - 1);
          if (index < 1 || !q.next())
            notFound(QStringLiteral("LonMark object %1 of %2").arg(index).arg(path));
          return loadObject(core, systemId, path, q);
        },
        [core, owner, systemId, path](const QString& name) -> lns::LonMarkObjectPtr {
          static const QByteArray byDevice = QByteArray(kObjectColumns) + "WHERE o.device_id=?1 AND o.name=?2";
          static const QByteArray byTemplate = QByteArray(kObjectColumns) + "WHERE o.template_id=?1 AND o.name=?2";
          Query q =
              core->requireSystem(systemId).query(owner.isTemplate ? byTemplate.constData() : byDevice.constData());
          q.bindAll(owner.id, name);
          if (!q.next())
            notFound(itemPath(path, name));
          return loadObject(core, systemId, path, q);
        });
  }

 private:
  CorePtr core_;
  Owner owner_;
  qint64 systemId_;
  QString path_;
};

// --- extension records -----------------------------------------------------

void checkField(int n, const QString& path) {
  if (n < 1 || n > 3)
    throw lns::LnsError(lns::kErrIndexRange, QStringLiteral("%1 has text fields 1 to 3, not %2").arg(path).arg(n));
}

class SimExtensionRecord : public lns::ExtensionRecord, public SimRow {
 public:
  SimExtensionRecord(CorePtr core, qint64 id, qint64 systemId, QString name, QString path)
      : core_(std::move(core)), id_(id), systemId_(systemId), name_(std::move(name)), path_(std::move(path)) {}
  qint64 rowId() const override { return id_; }
  QString Name() override {
    core_->requireSystem(systemId_);
    return name_;
  }
  QString Field(int n) override {
    checkField(n, path_);
    static const char* const sql[] = {"SELECT field1 FROM ext_records WHERE id=?1",
                                      "SELECT field2 FROM ext_records WHERE id=?1",
                                      "SELECT field3 FROM ext_records WHERE id=?1"};
    auto v = core_->requireSystem(systemId_).query(sql[n - 1]).bind(1, id_).scalarText();
    if (!v)
      notFound(path_);
    return *v;
  }
  void SetField(int n, const QString& text) override {
    checkField(n, path_);
    if (text.size() > kMaxFieldChars)
      throw lns::LnsError(lns::kErrInvalidValue,
                          QStringLiteral("A field of %1 holds at most %2 characters").arg(path_).arg(kMaxFieldChars));
    static const char* const sql[] = {"UPDATE ext_records SET field1=?1 WHERE id=?2",
                                      "UPDATE ext_records SET field2=?1 WHERE id=?2",
                                      "UPDATE ext_records SET field3=?1 WHERE id=?2"};
    SimDatabase& db = core_->requireSystem(systemId_);
    db.query(sql[n - 1]).bindAll(text, id_).run();
    if (db.changes() == 0)
      notFound(path_);
  }

 private:
  CorePtr core_;
  qint64 id_, systemId_;
  QString name_, path_;
};

class SimExtensionRecords : public lns::ExtensionRecords {
 public:
  SimExtensionRecords(CorePtr core, qint64 deviceId, qint64 systemId, QString devicePath)
      : core_(std::move(core)), deviceId_(deviceId), systemId_(systemId), devicePath_(std::move(devicePath)) {}
  lns::ExtensionRecordPtr Item(const QString& name) override {
    auto id = core_->requireSystem(systemId_)
                  .query("SELECT id FROM ext_records WHERE device_id=?1 AND name=?2")
                  .bindAll(deviceId_, name)
                  .scalarInt();
    if (!id)
      notFound(QStringLiteral("extension record %1 of %2").arg(name, devicePath_));
    return make(*id, name);
  }
  lns::ExtensionRecordPtr Add(const QString& name) override {
    SimDatabase& db = core_->requireSystem(systemId_);
    if (name.isEmpty() || name.size() > 255 || !plainText(name))
      throw lns::LnsError(lns::kErrInvalidValue,
                          QStringLiteral("\"%1\" is not a valid extension record name").arg(name));
    SimDatabase::Transaction tx(db);
    if (!db.query("SELECT 1 FROM devices WHERE id=?1").bind(1, deviceId_).scalarInt())
      notFound(devicePath_);
    if (db.query("SELECT 1 FROM ext_records WHERE device_id=?1 AND name=?2").bindAll(deviceId_, name).scalarInt())
      throw lns::LnsError(lns::kErrNameInUse,
                          QStringLiteral("The extension record %1 of %2 exists already").arg(name, devicePath_));
    db.query("INSERT INTO ext_records(device_id, name) VALUES(?1, ?2)").bindAll(deviceId_, name).run();
    const qint64 id = db.lastInsertId();
    tx.commit();
    return make(id, name);
  }
  qint32 Count() override {
    return static_cast<qint32>(core_->requireSystem(systemId_)
                                   .query("SELECT count(*) FROM ext_records WHERE device_id=?1")
                                   .bind(1, deviceId_)
                                   .scalarInt()
                                   .value_or(0));
  }
  lns::ExtensionRecordPtr Item(qint32 index) override {
    Query q = core_->requireSystem(systemId_).query(
        "SELECT id, name FROM ext_records WHERE device_id=?1 ORDER BY id LIMIT 1 OFFSET ?2");
    q.bindAll(deviceId_, qint64(index) - 1);
    if (index < 1 || !q.next())
      notFound(QStringLiteral("extension record %1 of %2").arg(index).arg(devicePath_));
    return make(q.int64(0), q.text(1));
  }

 private:
  lns::ExtensionRecordPtr make(qint64 id, const QString& name) {
    return std::make_shared<SimExtensionRecord>(core_, id, systemId_, name,
                                                QStringLiteral("extension record %1 of %2").arg(name, devicePath_));
  }
  CorePtr core_;
  qint64 deviceId_, systemId_;
  QString devicePath_;
};

// --- devices ----------------------------------------------------------------

class SimAppDevice : public lns::AppDevice, public SimRow {
 public:
  SimAppDevice(CorePtr core, DeviceIdentity identity)
      : core_(std::move(core)), d_(std::move(identity)), path_(d_.subsystemName + u'/' + d_.name) {}
  qint64 rowId() const override { return d_.rowId; }
  QString Name() override {
    core_->requireSystem(d_.systemId);
    return d_.name;
  }
  qint32 Handle() override {
    core_->requireSystem(d_.systemId);
    return d_.handle;
  }
  lns::DeviceInterfacePtr Interface() override {
    core_->requireSystem(d_.systemId);
    return makeInterface(core_, Owner{false, d_.rowId}, d_.systemId, path_);
  }
  lns::SubsystemPtr Subsystem() override {
    core_->requireSystem(d_.systemId);
    return makeSubsystem(core_, d_.subsystemId);
  }
  QString ProgramId() override {
    core_->requireSystem(d_.systemId);
    return d_.programId;
  }
  std::shared_ptr<lns::ExtensionRecords> Extensions() override {
    core_->requireSystem(d_.systemId);
    return std::make_shared<SimExtensionRecords>(core_, d_.rowId, d_.systemId, path_);
  }
  QString NeuronId() override {
    core_->requireSystem(d_.systemId);
    return d_.neuronId;
  }
  void Test() override {
    core_->requireSystem(d_.systemId);
    if (core_->offNet(d_.systemId))
      offNet(path_);
    auto now = core_->ctx().device(d_.rowId);
    if (!now)
      notFound(path_);
    core_->rt().test(core_->ctx(), *now);
  }

 private:
  CorePtr core_;
  DeviceIdentity d_;
  QString path_;
};

}  // namespace

lns::AppDevicePtr makeDevice(const CorePtr& core, qint64 deviceId) {
  auto identity = core->ctx().device(deviceId);
  if (!identity)
    notFound(QStringLiteral("device %1").arg(deviceId));
  return std::make_shared<SimAppDevice>(core, *identity);
}

lns::DeviceInterfacePtr makeInterface(const CorePtr& core, Owner owner, qint64 systemId, const QString& path) {
  return std::make_shared<SimInterface>(core, owner, systemId, path);
}

lns::NetworkVariablePtr makeNetworkVariable(const CorePtr& core, qint64 nvId) {
  Query q = core->requireServer().query(
      "SELECT n.id, n.device_id, n.template_id, coalesce(d.system_id, t.system_id), n.name, o.idx, o.name, "
      "coalesce(s.name || '/' || d.name, 'template ' || t.name) "
      "FROM nvs n LEFT JOIN lm_objects o ON o.id=n.object_id LEFT JOIN devices d ON d.id=n.device_id "
      "LEFT JOIN subsystems s ON s.id=d.subsystem_id LEFT JOIN templates t ON t.id=n.template_id WHERE n.id=?1");
  q.bind(1, nvId);
  if (!q.next())
    notFound(QStringLiteral("network variable %1").arg(nvId));
  SimNetworkVariable::Row r;
  r.id = q.int64(0);
  r.deviceId = q.isNull(1) ? 0 : q.int64(1);
  r.templateId = q.isNull(2) ? 0 : q.int64(2);
  r.systemId = q.int64(3);
  r.name = q.text(4);
  r.objectIndex = q.isNull(5) ? -1 : static_cast<qint32>(q.int64(5));
  r.objectName = q.text(6);
  r.path = itemPath(q.text(7), r.name);
  return std::make_shared<SimNetworkVariable>(core, r);
}

void copyTemplateInterface(SimDatabase& db, qint64 templateId, qint64 deviceId) {
  db.query(
        "INSERT INTO lm_objects(device_id, idx, name, display_name, profile) "
        "SELECT ?2, idx, name, display_name, profile FROM lm_objects WHERE template_id=?1 ORDER BY idx")
      .bindAll(templateId, deviceId)
      .run();
  db.query(
        "INSERT INTO nvs(device_id, object_id, nv_index, name, direction, type, value) "
        "SELECT ?2, (SELECT dobj.id FROM lm_objects dobj WHERE dobj.device_id=?2 AND dobj.idx=o.idx), "
        "n.nv_index, n.name, n.direction, n.type, n.value "
        "FROM nvs n LEFT JOIN lm_objects o ON o.id=n.object_id WHERE n.template_id=?1 ORDER BY n.nv_index")
      .bindAll(templateId, deviceId)
      .run();
  db.query(
        "INSERT INTO cps(object_id, name, element_count) "
        "SELECT dobj.id, c.name, c.element_count FROM cps c JOIN lm_objects o ON o.id=c.object_id "
        "JOIN lm_objects dobj ON dobj.device_id=?2 AND dobj.idx=o.idx WHERE o.template_id=?1 ORDER BY c.id")
      .bindAll(templateId, deviceId)
      .run();
  db.query(
        "INSERT INTO cp_values(cp_id, idx, value) "
        "SELECT dc.id, v.idx, v.value FROM cp_values v JOIN cps c ON c.id=v.cp_id "
        "JOIN lm_objects o ON o.id=c.object_id JOIN lm_objects dobj ON dobj.device_id=?2 AND dobj.idx=o.idx "
        "JOIN cps dc ON dc.object_id=dobj.id AND dc.name=c.name WHERE o.template_id=?1")
      .bindAll(templateId, deviceId)
      .run();
}

}  // namespace lnssim
