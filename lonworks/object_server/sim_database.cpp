#include "sim_database.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>

#include "platform/registry.h"
#include "platform/win_path.h"

namespace lnssim {

namespace {

// The tables of the network database. Interfaces (LonMark objects, network
// variables, configuration properties) belong either to a device or to a
// device template; exactly one of device_id and template_id is set.
constexpr const char* kSchema = R"sql(
CREATE TABLE counters(name TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;
INSERT INTO counters VALUES('nv_change', 0);
CREATE TABLE schema_components(name TEXT PRIMARY KEY, version INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE network_interfaces(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE networks(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE systems(
  id INTEGER PRIMARY KEY,
  network_id INTEGER NOT NULL REFERENCES networks(id) ON DELETE CASCADE,
  idx INTEGER NOT NULL,
  name TEXT NOT NULL,
  mgmt_mode INTEGER NOT NULL DEFAULT 0,
  import_dir TEXT NOT NULL DEFAULT '',
  UNIQUE(network_id, idx));
CREATE TABLE subsystems(
  id INTEGER PRIMARY KEY,
  system_id INTEGER NOT NULL REFERENCES systems(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  UNIQUE(system_id, name));
CREATE TABLE templates(
  id INTEGER PRIMARY KEY,
  system_id INTEGER NOT NULL REFERENCES systems(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  program_id TEXT NOT NULL DEFAULT '',
  xif_path TEXT NOT NULL DEFAULT '',
  UNIQUE(system_id, name));
CREATE INDEX templates_by_program ON templates(system_id, program_id);
CREATE TABLE devices(
  id INTEGER PRIMARY KEY,
  subsystem_id INTEGER NOT NULL REFERENCES subsystems(id) ON DELETE CASCADE,
  system_id INTEGER NOT NULL REFERENCES systems(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  handle INTEGER NOT NULL,
  program_id TEXT NOT NULL,
  neuron_id TEXT NOT NULL,
  template_id INTEGER REFERENCES templates(id) ON DELETE SET NULL,
  UNIQUE(subsystem_id, name),
  UNIQUE(system_id, handle),
  UNIQUE(system_id, neuron_id));
CREATE TABLE lm_objects(
  id INTEGER PRIMARY KEY,
  device_id INTEGER REFERENCES devices(id) ON DELETE CASCADE,
  template_id INTEGER REFERENCES templates(id) ON DELETE CASCADE,
  idx INTEGER NOT NULL,
  name TEXT NOT NULL,
  display_name TEXT NOT NULL,
  profile INTEGER NOT NULL DEFAULT 0,
  CHECK ((device_id IS NULL) <> (template_id IS NULL)));
CREATE UNIQUE INDEX lm_objects_device_idx ON lm_objects(device_id, idx);
CREATE INDEX lm_objects_device_name ON lm_objects(device_id, name);
CREATE UNIQUE INDEX lm_objects_template_idx ON lm_objects(template_id, idx);
CREATE INDEX lm_objects_template_name ON lm_objects(template_id, name);
CREATE TABLE nvs(
  id INTEGER PRIMARY KEY,
  device_id INTEGER REFERENCES devices(id) ON DELETE CASCADE,
  template_id INTEGER REFERENCES templates(id) ON DELETE CASCADE,
  object_id INTEGER REFERENCES lm_objects(id) ON DELETE CASCADE,
  nv_index INTEGER NOT NULL,
  name TEXT NOT NULL,
  direction INTEGER NOT NULL,
  type TEXT NOT NULL DEFAULT '',
  value TEXT NOT NULL DEFAULT '',
  changed_seq INTEGER NOT NULL DEFAULT 0,
  CHECK ((device_id IS NULL) <> (template_id IS NULL)));
CREATE UNIQUE INDEX nvs_device_name ON nvs(device_id, name);
CREATE UNIQUE INDEX nvs_template_name ON nvs(template_id, name);
CREATE INDEX nvs_object_name ON nvs(object_id, name);
CREATE INDEX nvs_changed ON nvs(changed_seq);
CREATE TABLE cps(
  id INTEGER PRIMARY KEY,
  object_id INTEGER NOT NULL REFERENCES lm_objects(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  element_count INTEGER NOT NULL,
  UNIQUE(object_id, name));
CREATE TABLE cp_values(
  cp_id INTEGER NOT NULL REFERENCES cps(id) ON DELETE CASCADE,
  idx INTEGER NOT NULL,
  value TEXT NOT NULL,
  PRIMARY KEY(cp_id, idx)) WITHOUT ROWID;
CREATE TABLE ext_records(
  id INTEGER PRIMARY KEY,
  device_id INTEGER NOT NULL REFERENCES devices(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  field1 TEXT NOT NULL DEFAULT '',
  field2 TEXT NOT NULL DEFAULT '',
  field3 TEXT NOT NULL DEFAULT '',
  UNIQUE(device_id, name));
CREATE TABLE component_apps(
  id INTEGER PRIMARY KEY,
  scope INTEGER NOT NULL,
  owner_id INTEGER NOT NULL,
  name TEXT NOT NULL,
  prog_id TEXT NOT NULL,
  object_type INTEGER NOT NULL,
  command_code INTEGER NOT NULL DEFAULT 0,
  command_text TEXT NOT NULL DEFAULT '',
  version TEXT NOT NULL DEFAULT '',
  manufacturer_id TEXT NOT NULL DEFAULT '',
  default_action INTEGER NOT NULL DEFAULT 0,
  UNIQUE(scope, owner_id, name));
)sql";

QString rcText(int rc) { return QString::fromUtf8(sqlite3_errstr(rc)); }

}  // namespace

lns::LnsError databaseError(const QString& detail) {
  return lns::LnsError(lns::kErrDatabase, QStringLiteral("The network database ") + detail);
}

// --- Query ---------------------------------------------------------------

Query::Query(SimDatabase* db, sqlite3_stmt* stmt, bool cached) : db_(db), stmt_(stmt), cached_(cached) {}

Query::Query(Query&& other) noexcept : db_(other.db_), stmt_(other.stmt_), cached_(other.cached_) {
  other.stmt_ = nullptr;
}

Query::~Query() {
  if (stmt_)
    db_->release(stmt_, cached_);
}

Query& Query::bind(int index, qint64 value) {
  sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

Query& Query::bind(int index, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  sqlite3_bind_text(stmt_, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
  return *this;
}

Query& Query::bindNull(int index) {
  sqlite3_bind_null(stmt_, index);
  return *this;
}

bool Query::next() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW)
    return true;
  if (rc == SQLITE_DONE)
    return false;
  db_->fail(rc, sqlite3_sql(stmt_));
}

void Query::run() {
  while (next()) {
  }
}

std::optional<qint64> Query::scalarInt() {
  if (!next() || isNull(0))
    return std::nullopt;
  return int64(0);
}

std::optional<QString> Query::scalarText() {
  if (!next() || isNull(0))
    return std::nullopt;
  return text(0);
}

qint64 Query::int64(int column) const { return sqlite3_column_int64(stmt_, column); }

QString Query::text(int column) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt_, column)) : QString();
}

bool Query::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

// --- SimDatabase ---------------------------------------------------------

QString SimDatabase::defaultPath() {
  const auto lon = platform::Registry::value(platform::Hive::LocalMachine, QStringLiteral("SOFTWARE\\LonWorks"),
                                             QStringLiteral("LonWorks Path"));
  if (!lon || lon->data.trimmed().isEmpty())
    throw lns::LnsError(lns::kErrDatabase,
                        QStringLiteral("The network database cannot be found: the \"LonWorks Path\" value of "
                                       "SOFTWARE\\LonWorks is not set"));
  if (!platform::WinPath::isAbsolute(lon->data))
    throw lns::LnsError(lns::kErrDatabase,
                        QStringLiteral("The network database cannot be found: the \"LonWorks Path\" "
                                       "value of SOFTWARE\\LonWorks (\"%1\") is not an absolute folder")
                            .arg(lon->data));
  return platform::WinPath::resolve(platform::WinPath::join(lon->data, QStringLiteral("Database\\lns.db")));
}

SimDatabase::SimDatabase(const QString& path) : SimDatabase(path, Options{}) {}

SimDatabase::SimDatabase(const QString& path, const Options& options) : path_(path), options_(options) {
  const QFileInfo info(path);
  if (!info.exists()) {
    if (!options.createIfMissing || options.readOnly)
      throw databaseError(path + QStringLiteral(" does not exist"));
    if (!platform::WinPath::makeDirs(info.absolutePath()))
      throw databaseError(path + QStringLiteral(" cannot be created: the folder ") + info.absolutePath() +
                          QStringLiteral(" cannot be made"));
  } else if (info.isDir()) {
    throw databaseError(path + QStringLiteral(" is a folder, not a file"));
  }
  int flags = options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (options.createIfMissing && !options.readOnly)
    flags |= SQLITE_OPEN_CREATE;
  flags |= SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    const QString why = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : rcText(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw databaseError(path + QStringLiteral(" cannot be opened: ") + why);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, options.busyTimeoutMs);
  try {
    exec("PRAGMA foreign_keys=ON");
    // Room for large transactions (bulk device creation) without spilling pages early.
    exec("PRAGMA cache_size=-32768");
    checkSchema(options.createIfMissing && !options.readOnly);
    if (!options.readOnly) {
      exec("PRAGMA journal_mode=WAL");
      exec("PRAGMA synchronous=NORMAL");
      watchFile();
    }
  } catch (...) {
    for (sqlite3_stmt* s : std::as_const(cache_))
      sqlite3_finalize(s);
    cache_.clear();
    sqlite3_close(db_);
    db_ = nullptr;
    throw;
  }
}

SimDatabase::~SimDatabase() {
  for (sqlite3_stmt* s : std::as_const(cache_))
    sqlite3_finalize(s);
  if (db_)
    sqlite3_close(db_);
}

void SimDatabase::setBusyTimeout(int ms) {
  options_.busyTimeoutMs = ms;
  sqlite3_busy_timeout(db_, ms);
}

bool SimDatabase::isReadOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }

// A file deleted (or replaced) while it is open still takes writes, into an
// inode nobody will open again: every later change would be lost while
// reported as saved. Each commit first checks that the path still names the
// file this connection opened, and is rolled back when it does not.
void SimDatabase::watchFile() {
  localPath_ = QFile::encodeName(path_);
  struct stat st {};
  if (::stat(localPath_.constData(), &st) != 0)
    return;
  fileDevice_ = static_cast<qint64>(st.st_dev);
  fileInode_ = static_cast<qint64>(st.st_ino);
  sqlite3_commit_hook(db_, &SimDatabase::refuseCommitToAnotherFile, this);
}

int SimDatabase::refuseCommitToAnotherFile(void* self) {
  auto* d = static_cast<SimDatabase*>(self);
  struct stat st {};
  const bool same = ::stat(d->localPath_.constData(), &st) == 0 && static_cast<qint64>(st.st_dev) == d->fileDevice_ &&
                    static_cast<qint64>(st.st_ino) == d->fileInode_;
  d->fileGone_ = !same;
  return same ? 0 : 1;
}

void SimDatabase::fail(int rc, const char* what) const {
  const int primary = rc & 0xff;
  if (rc == SQLITE_CONSTRAINT_COMMITHOOK && fileGone_)
    throw databaseError(path_ + QStringLiteral(" was deleted or replaced while it was open: the change was not saved"));
  lastFailureBusy_ = primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
  const QString detail = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : rcText(rc);
  switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw databaseError(path_ + QStringLiteral(" is busy: another program is using it (") + detail + u')');
    case SQLITE_READONLY:
    case SQLITE_PERM: throw databaseError(path_ + QStringLiteral(" cannot be written: ") + detail);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      throw databaseError(path_ + QStringLiteral(" is damaged or is not a network database: ") + detail);
    case SQLITE_CONSTRAINT:
      if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw lns::LnsError(lns::kErrNameInUse,
                            QStringLiteral("An item of that name exists already (") + detail + u')');
      break;
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN: throw databaseError(path_ + QStringLiteral(" cannot be read or written: ") + detail);
    default: break;
  }
  throw databaseError(path_ + QStringLiteral(": ") + detail + QStringLiteral(" [") +
                      QString::fromUtf8(what ? what : "") + u']');
}

Query SimDatabase::query(const char* sql) {
  const QByteArray key(sql);
  auto it = cache_.find(key);
  if (it != cache_.end() && !busy_.value(it.value())) {
    busy_[it.value()] = true;
    return Query(this, it.value(), true);
  }
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK)
    fail(rc, sql);
  if (it == cache_.end()) {
    cache_.insert(key, stmt);
    busy_[stmt] = true;
    return Query(this, stmt, true);
  }
  // The cached statement is in use further up the stack: use a private one.
  return Query(this, stmt, false);
}

void SimDatabase::release(sqlite3_stmt* stmt, bool cached) {
  if (!cached) {
    sqlite3_finalize(stmt);
    return;
  }
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  busy_[stmt] = false;
}

void SimDatabase::exec(const char* sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
  sqlite3_free(message);
  if (rc != SQLITE_OK)
    fail(rc, sql);
}

qint64 SimDatabase::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }

int SimDatabase::changes() const { return sqlite3_changes(db_); }

void SimDatabase::checkSchema(bool mayCreate) {
  auto readVersion = [this](qint32& version, qint32& appId, qint64& tables) {
    version = static_cast<qint32>(query("PRAGMA user_version").scalarInt().value_or(0));
    appId = static_cast<qint32>(query("PRAGMA application_id").scalarInt().value_or(0));
    tables = query("SELECT count(*) FROM sqlite_master").scalarInt().value_or(0);
  };
  qint32 version = 0, appId = 0;
  qint64 tables = 0;
  readVersion(version, appId, tables);
  if (version == 0 && appId == 0 && tables == 0) {
    if (!mayCreate)
      throw databaseError(path_ + QStringLiteral(" is empty"));
    Transaction tx(*this);
    readVersion(version, appId, tables);  // another process may have created it meanwhile
    if (version == 0 && appId == 0 && tables == 0) {
      createSchema();
      tx.commit();
      return;
    }
  }
  if (appId != kApplicationId)
    throw databaseError(path_ + QStringLiteral(" is not a network database of this system"));
  if (version > kSchemaVersion)
    throw databaseError(path_ +
                        QStringLiteral(" was written by a newer version (schema %1; this program reads up to %2)")
                            .arg(version)
                            .arg(kSchemaVersion));
  if (version < 1)
    throw databaseError(path_ + QStringLiteral(" has an unknown schema version %1").arg(version));
}

void SimDatabase::createSchema() {
  exec(kSchema);
  exec(QStringLiteral("PRAGMA application_id=%1; PRAGMA user_version=%2")
           .arg(kApplicationId)
           .arg(kSchemaVersion)
           .toUtf8()
           .constData());
}

void SimDatabase::ensureComponentSchema(const QString& component, int version,
                                        const std::function<void(SimDatabase&, int)>& migrate) {
  auto stored = [&] {
    return static_cast<int>(
        query("SELECT version FROM schema_components WHERE name=?1").bind(1, component).scalarInt().value_or(0));
  };
  int have = stored();
  if (have == version)
    return;
  if (have > version)
    throw databaseError(path_ + QStringLiteral(" holds %1 tables of a newer version (%2; this program reads up to %3)")
                                    .arg(component)
                                    .arg(have)
                                    .arg(version));
  Transaction tx(*this);
  have = stored();
  if (have < version) {
    migrate(*this, have);
    query(
        "INSERT INTO schema_components(name, version) VALUES(?1, ?2) "
        "ON CONFLICT(name) DO UPDATE SET version=excluded.version")
        .bindAll(component, qint64(version))
        .run();
  }
  tx.commit();
}

qint64 SimDatabase::counter(const char* name) {
  return query("SELECT value FROM counters WHERE name=?1").bind(1, QString::fromLatin1(name)).scalarInt().value_or(0);
}

qint64 SimDatabase::bumpCounter(const char* name) {
  query("INSERT INTO counters(name, value) VALUES(?1, 1) ON CONFLICT(name) DO UPDATE SET value=value+1")
      .bind(1, QString::fromLatin1(name))
      .run();
  return counter(name);
}

// --- Transaction ---------------------------------------------------------

SimDatabase::Transaction::Transaction(SimDatabase& db) : db_(db), depth_(db.depth_) {
  if (depth_ == 0)
    db_.exec("BEGIN IMMEDIATE");
  else
    db_.exec(QStringLiteral("SAVEPOINT sp%1").arg(depth_).toUtf8().constData());
  ++db_.depth_;
}

void SimDatabase::Transaction::commit() {
  if (done_)
    return;
  if (depth_ == 0)
    db_.exec("COMMIT");
  else
    db_.exec(QStringLiteral("RELEASE sp%1").arg(depth_).toUtf8().constData());
  done_ = true;
  --db_.depth_;
}

SimDatabase::Transaction::~Transaction() {
  if (done_)
    return;
  --db_.depth_;
  char* message = nullptr;
  if (depth_ == 0) {
    sqlite3_exec(db_.db_, "ROLLBACK", nullptr, nullptr, &message);
  } else {
    const QByteArray sql = QStringLiteral("ROLLBACK TO sp%1; RELEASE sp%1").arg(depth_).toUtf8();
    sqlite3_exec(db_.db_, sql.constData(), nullptr, nullptr, &message);
  }
  sqlite3_free(message);
}

}  // namespace lnssim
