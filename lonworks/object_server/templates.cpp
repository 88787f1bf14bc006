// Device templates (with XIF import into their interface) and component
// applications at the four scopes.

#include <QSet>

#include "platform/win_path.h"
#include "sim_objects.h"
#include "xif.h"

namespace lnssim {

namespace {

QString normalProgramId(const QString& id) { return id.trimmed().toUpper(); }

// --- component applications -------------------------------------------------

class SimComponentApp : public lns::ComponentApp, public SimRow {
 public:
  SimComponentApp(CorePtr core, qint64 id, qint64 systemId, QString path)
      : core_(std::move(core)), id_(id), systemId_(systemId), path_(std::move(path)) {}
  qint64 rowId() const override { return id_; }
  QString Name() override { return text("SELECT name FROM component_apps WHERE id=?1"); }
  QString ProgramId() override { return text("SELECT prog_id FROM component_apps WHERE id=?1"); }
  qint32 ObjectType() override {
    return static_cast<qint32>(number("SELECT object_type FROM component_apps WHERE id=?1"));
  }
  qint32 CommandCode() override {
    return static_cast<qint32>(number("SELECT command_code FROM component_apps WHERE id=?1"));
  }
  void SetCommandCode(qint32 code) override { set("UPDATE component_apps SET command_code=?1 WHERE id=?2", code); }
  QString CommandText() override { return text("SELECT command_text FROM component_apps WHERE id=?1"); }
  void SetCommandText(const QString& t) override { set("UPDATE component_apps SET command_text=?1 WHERE id=?2", t); }
  QString Version() override { return text("SELECT version FROM component_apps WHERE id=?1"); }
  void SetVersion(const QString& t) override { set("UPDATE component_apps SET version=?1 WHERE id=?2", t); }
  QString ManufacturerId() override { return text("SELECT manufacturer_id FROM component_apps WHERE id=?1"); }
  void SetManufacturerId(const QString& t) override {
    set("UPDATE component_apps SET manufacturer_id=?1 WHERE id=?2", t);
  }
  bool DefaultAction() override { return number("SELECT default_action FROM component_apps WHERE id=?1") != 0; }
  void SetDefaultAction(bool on) override {
    set("UPDATE component_apps SET default_action=?1 WHERE id=?2", qint64(on ? 1 : 0));
  }

 private:
  SimDatabase& db() { return systemId_ ? core_->requireSystem(systemId_) : core_->requireServer(); }
  QString text(const char* sql) {
    auto v = db().query(sql).bind(1, id_).scalarText();
    if (!v)
      notFound(path_);
    return *v;
  }
  qint64 number(const char* sql) {
    auto v = db().query(sql).bind(1, id_).scalarInt();
    if (!v)
      notFound(path_);
    return *v;
  }
  template <class V>
  void set(const char* sql, const V& value) {
    SimDatabase& d = db();
    if constexpr (std::is_same_v<V, QString>) {
      if (value.size() > 1024)
        throw lns::LnsError(lns::kErrInvalidValue, QStringLiteral("The text is too long for %1").arg(path_));
    }
    d.query(sql).bindAll(value, id_).run();
    if (d.changes() == 0)
      notFound(path_);
  }

  CorePtr core_;
  qint64 id_, systemId_;
  QString path_;
};

class SimComponentApps : public lns::ComponentApps {
 public:
  SimComponentApps(CorePtr core, qint32 scope, qint64 ownerId, qint64 systemId, QString path)
      : core_(std::move(core)), scope_(scope), owner_(ownerId), systemId_(systemId), path_(std::move(path)) {}
  qint32 Count() override {
    return static_cast<qint32>(db().query("SELECT count(*) FROM component_apps WHERE scope=?1 AND owner_id=?2")
                                   .bindAll(qint64(scope_), owner_)
                                   .scalarInt()
                                   .value_or(0));
  }
  lns::ComponentAppPtr Item(qint32 index) override {
    Query q =
        db().query("SELECT id, name FROM component_apps WHERE scope=?1 AND owner_id=?2 ORDER BY id LIMIT 1 OFFSET ?3");
    q.bindAll(qint64(scope_), owner_, qint64(index) - 1);
    if (index < 1 || !q.next())
      notFound(QStringLiteral("component application %1 of %2").arg(index).arg(path_));
    return make(q.int64(0), q.text(1));
  }
  lns::ComponentAppPtr Item(const QString& name) override {
    auto id = db().query("SELECT id FROM component_apps WHERE scope=?1 AND owner_id=?2 AND name=?3")
                  .bindAll(qint64(scope_), owner_, name)
                  .scalarInt();
    if (!id)
      notFound(QStringLiteral("component application %1 of %2").arg(name, path_));
    return make(*id, name);
  }
  lns::ComponentAppPtr Add(const QString& name, const QString& progId, qint32 objectType) override {
    SimDatabase& d = db();
    if (name.trimmed().isEmpty() || name.size() > 255)
      throw lns::LnsError(lns::kErrInvalidValue,
                          QStringLiteral("\"%1\" is not a valid component application name").arg(name));
    SimDatabase::Transaction tx(d);
    if (d.query("SELECT 1 FROM component_apps WHERE scope=?1 AND owner_id=?2 AND name=?3")
            .bindAll(qint64(scope_), owner_, name)
            .scalarInt())
      throw lns::LnsError(lns::kErrNameInUse,
                          QStringLiteral("A component application named %1 exists already in %2").arg(name, path_));
    d.query("INSERT INTO component_apps(scope, owner_id, name, prog_id, object_type) VALUES(?1, ?2, ?3, ?4, ?5)")
        .bindAll(qint64(scope_), owner_, name, progId, qint64(objectType))
        .run();
    const qint64 id = d.lastInsertId();
    tx.commit();
    return make(id, name);
  }

 private:
  SimDatabase& db() { return systemId_ ? core_->requireSystem(systemId_) : core_->requireServer(); }
  lns::ComponentAppPtr make(qint64 id, const QString& name) {
    return std::make_shared<SimComponentApp>(core_, id, systemId_,
                                             QStringLiteral("component application %1 of %2").arg(name, path_));
  }
  CorePtr core_;
  qint32 scope_;
  qint64 owner_, systemId_;
  QString path_;
};

// --- templates --------------------------------------------------------------

void importInto(SimDatabase& db, qint64 templateId, const XifInterface& xif, const QString& path) {
  SimDatabase::Transaction tx(db);
  Query t = db.query("SELECT name, program_id FROM templates WHERE id=?1");
  t.bind(1, templateId);
  if (!t.next())
    notFound(QStringLiteral("device template %1").arg(templateId));
  const QString name = t.text(0), have = t.text(1);
  if (!have.isEmpty() && have != xif.programId)
    throw lns::LnsError(lns::kErrImport,
                        QStringLiteral("Cannot import the external interface file %1: it is for program identifier "
                                       "%2, and the device template %3 is for %4")
                            .arg(path, xif.programId, name, have));

  // Objects keep their rows (and the component applications registered on
  // them) when the index stays; variables and properties are replaced.
  QSet<qint32> indexes;
  for (const XifObject& o : xif.objects) {
    indexes.insert(o.index);
    db.query(
          "INSERT INTO lm_objects(template_id, idx, name, display_name, profile) VALUES(?1, ?2, ?3, ?3, ?4) "
          "ON CONFLICT(template_id, idx) DO UPDATE SET name=excluded.name, display_name=excluded.display_name, "
          "profile=excluded.profile")
        .bindAll(templateId, qint64(o.index), o.name, qint64(o.profile))
        .run();
  }
  {
    QList<qint64> gone;
    Query q = db.query("SELECT id, idx FROM lm_objects WHERE template_id=?1");
    q.bind(1, templateId);
    while (q.next())
      if (!indexes.contains(static_cast<qint32>(q.int64(1))))
        gone << q.int64(0);
    for (qint64 id : std::as_const(gone)) {
      db.query("DELETE FROM component_apps WHERE scope=4 AND owner_id=?1").bind(1, id).run();
      db.query("DELETE FROM lm_objects WHERE id=?1").bind(1, id).run();
    }
  }
  db.query("DELETE FROM nvs WHERE template_id=?1").bind(1, templateId).run();
  db.query("DELETE FROM cps WHERE object_id IN (SELECT id FROM lm_objects WHERE template_id=?1)")
      .bind(1, templateId)
      .run();
  for (const XifVariable& v : xif.variables)
    db.query(
          "INSERT INTO nvs(template_id, object_id, nv_index, name, direction, type) "
          "VALUES(?1, (SELECT id FROM lm_objects WHERE template_id=?1 AND idx=?2), ?3, ?4, ?5, ?6)")
        .bindAll(templateId, qint64(v.objectIndex), qint64(v.nvIndex), v.name, qint64(v.input ? 0 : 1), v.type)
        .run();
  for (const XifProperty& p : xif.properties) {
    db.query(
          "INSERT INTO cps(object_id, name, element_count) "
          "VALUES((SELECT id FROM lm_objects WHERE template_id=?1 AND idx=?2), ?3, ?4)")
        .bindAll(templateId, qint64(p.objectIndex), p.name, qint64(p.elementCount))
        .run();
    const qint64 cp = db.lastInsertId();
    for (qint32 i = 0; i < p.elementCount; ++i)
      db.query("INSERT INTO cp_values(cp_id, idx, value) VALUES(?1, ?2, ?3)")
          .bindAll(cp, qint64(i), p.defaultValue)
          .run();
  }
  db.query("UPDATE templates SET program_id=?1, xif_path=?2 WHERE id=?3")
      .bindAll(xif.programId, path, templateId)
      .run();
  tx.commit();
}

class SimDeviceTemplate : public lns::DeviceTemplate, public SimRow {
 public:
  SimDeviceTemplate(CorePtr core, qint64 id, qint64 systemId) : core_(std::move(core)), id_(id), systemId_(systemId) {}
  qint64 rowId() const override { return id_; }
  QString Name() override { return field("SELECT name FROM templates WHERE id=?1"); }
  void SetName(const QString& name) override {
    SimDatabase& db = core_->requireSystem(systemId_);
    if (name.trimmed().isEmpty() || name.size() > 255)
      throw lns::LnsError(lns::kErrInvalidValue,
                          QStringLiteral("\"%1\" is not a valid device template name").arg(name));
    SimDatabase::Transaction tx(db);
    auto other =
        db.query("SELECT id FROM templates WHERE system_id=?1 AND name=?2").bindAll(systemId_, name).scalarInt();
    if (other && *other != id_)
      throw lns::LnsError(lns::kErrNameInUse, QStringLiteral("A device template named %1 exists already").arg(name));
    db.query("UPDATE templates SET name=?1 WHERE id=?2").bindAll(name, id_).run();
    if (db.changes() == 0)
      notFound(QStringLiteral("device template %1").arg(id_));
    tx.commit();
  }
  QString ProgramId() override { return field("SELECT program_id FROM templates WHERE id=?1"); }
  void ImportXif(const QString& path) override {
    SimDatabase& db = core_->requireSystem(systemId_);
    const QString local = platform::WinPath::resolve(path);
    const XifInterface xif = readXifFile(local);
    importInto(db, id_, xif, local);
  }
  lns::ComponentAppsPtr ComponentApps() override {
    return makeComponentApps(core_, 3, id_, systemId_, QStringLiteral("device template ") + Name());
  }
  lns::DeviceInterfacePtr Interface() override {
    return makeInterface(core_, Owner{true, id_}, systemId_, QStringLiteral("template ") + Name());
  }

 private:
  QString field(const char* sql) {
    auto v = core_->requireSystem(systemId_).query(sql).bind(1, id_).scalarText();
    if (!v)
      notFound(QStringLiteral("device template %1").arg(id_));
    return *v;
  }
  CorePtr core_;
  qint64 id_, systemId_;
};

class SimDeviceTemplates : public lns::DeviceTemplates {
 public:
  SimDeviceTemplates(CorePtr core, qint64 systemId) : core_(std::move(core)), systemId_(systemId) {}
  qint32 Count() override {
    return static_cast<qint32>(
        db().query("SELECT count(*) FROM templates WHERE system_id=?1").bind(1, systemId_).scalarInt().value_or(0));
  }
  lns::DeviceTemplatePtr Item(qint32 index) override {
    auto id = db().query("SELECT id FROM templates WHERE system_id=?1 ORDER BY id LIMIT 1 OFFSET ?2")
                  .bindAll(systemId_, qint64(index) - 1)
                  .scalarInt();
    if (index < 1 || !id)
      notFound(QStringLiteral("device template %1").arg(index));
    return make(*id);
  }
  lns::DeviceTemplatePtr ItemByProgramId(const QString& programId) override {
    // Program identifiers are hexadecimal numbers: the case of the digits does not matter.
    auto id = db().query("SELECT id FROM templates WHERE system_id=?1 AND program_id=?2 ORDER BY id LIMIT 1")
                  .bindAll(systemId_, normalProgramId(programId))
                  .scalarInt();
    if (!id || programId.trimmed().isEmpty())
      notFound(QStringLiteral("device template with program identifier ") + programId);
    return make(*id);
  }
  lns::DeviceTemplatePtr ItemByName(const QString& name) override {
    auto id =
        db().query("SELECT id FROM templates WHERE system_id=?1 AND name=?2").bindAll(systemId_, name).scalarInt();
    return id ? make(*id) : nullptr;
  }
  lns::DeviceTemplatePtr Add(const QString& name, qint32 flags) override {
    (void)flags;
    SimDatabase& d = db();
    if (name.trimmed().isEmpty() || name.size() > 255)
      throw lns::LnsError(lns::kErrInvalidValue,
                          QStringLiteral("\"%1\" is not a valid device template name").arg(name));
    SimDatabase::Transaction tx(d);
    if (d.query("SELECT 1 FROM templates WHERE system_id=?1 AND name=?2").bindAll(systemId_, name).scalarInt())
      throw lns::LnsError(lns::kErrNameInUse, QStringLiteral("A device template named %1 exists already").arg(name));
    d.query("INSERT INTO templates(system_id, name) VALUES(?1, ?2)").bindAll(systemId_, name).run();
    const qint64 id = d.lastInsertId();
    tx.commit();
    return make(id);
  }

 private:
  SimDatabase& db() { return core_->requireSystem(systemId_); }
  lns::DeviceTemplatePtr make(qint64 id) { return std::make_shared<SimDeviceTemplate>(core_, id, systemId_); }
  CorePtr core_;
  qint64 systemId_;
};

}  // namespace

lns::DeviceTemplatesPtr makeTemplates(const CorePtr& core, qint64 systemId) {
  return std::make_shared<SimDeviceTemplates>(core, systemId);
}

lns::ComponentAppsPtr makeComponentApps(const CorePtr& core, qint32 scope, qint64 ownerId, qint64 systemId,
                                        const QString& path) {
  return std::make_shared<SimComponentApps>(core, scope, ownerId, systemId, path);
}

}  // namespace lnssim
