#pragma once
// The simulated LNS network database: one SQLite file in the LonWorks tree
// (<LonWorks Path>\Database\lns.db), shared by every process that opens it.
//
// The file runs in WAL mode with a busy timeout, every change happens inside a
// transaction, and the schema is versioned with PRAGMA user_version. Every
// failure of the file (missing, locked, read-only, damaged, newer schema)
// becomes an lns::LnsError with the number kErrDatabase.
//
// Other parts of the simulation (the device simulator, the data server) reuse
// this class for their own tables; ensureComponentSchema() versions them.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <optional>

#include "host/lns/lns.h"

struct sqlite3;
struct sqlite3_stmt;

namespace lnssim {

class SimDatabase;

// A prepared statement borrowed from the database's cache. Bind, step, read
// columns; the statement is reset and its bindings cleared when the Query goes.
class Query {
 public:
  Query(Query&& other) noexcept;
  Query& operator=(Query&&) = delete;
  Query(const Query&) = delete;
  ~Query();

  Query& bind(int index, qint64 value);
  Query& bind(int index, int value) { return bind(index, static_cast<qint64>(value)); }
  Query& bind(int index, const QString& text);
  Query& bindNull(int index);
  // Binds 1..n in order.
  template <class... Args>
  Query& bindAll(const Args&... args) {
    int i = 0;
    (bind(++i, args), ...);
    return *this;
  }

  // Advances to the next row; false when there is none.
  bool next();
  // Runs a statement that returns no rows.
  void run();
  // Runs and returns column 0 of the first row, or nullopt without a row.
  std::optional<qint64> scalarInt();
  std::optional<QString> scalarText();

  qint64 int64(int column) const;
  QString text(int column) const;
  bool isNull(int column) const;

 private:
  friend class SimDatabase;
  Query(SimDatabase* db, sqlite3_stmt* stmt, bool cached);
  SimDatabase* db_;
  sqlite3_stmt* stmt_;
  bool cached_;
};

class SimDatabase {
 public:
  // The schema version this program writes. A file with a higher version is refused.
  static constexpr int kSchemaVersion = 1;
  // PRAGMA application_id of our files ("RLXD").
  static constexpr qint32 kApplicationId = 0x524C5844;

  struct Options {
    bool createIfMissing = false;  // create the file (and its folder) when missing
    bool readOnly = false;         // open for reading only
    int busyTimeoutMs = 5000;      // how long to wait for another writer
  };

  // <LonWorks Path>\Database\lns.db as a local path; throws kErrDatabase when
  // the LonWorks path is not set.
  static QString defaultPath();

  // Opens (or creates) the file and checks its schema; throws kErrDatabase.
  explicit SimDatabase(const QString& path);
  SimDatabase(const QString& path, const Options& options);
  ~SimDatabase();
  SimDatabase(const SimDatabase&) = delete;
  SimDatabase& operator=(const SimDatabase&) = delete;

  const QString& path() const { return path_; }
  bool isReadOnly() const;

  // A prepared statement; the text is compiled once and kept.
  Query query(const char* sql);
  // Runs one or more statements without results.
  void exec(const char* sql);
  qint64 lastInsertId() const;
  int changes() const;

  // A transaction: BEGIN IMMEDIATE (waiting up to the busy timeout for another
  // writer), or a savepoint when one is already open. Rolls back unless
  // commit() was called.
  class Transaction {
   public:
    explicit Transaction(SimDatabase& db);
    ~Transaction();
    void commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

   private:
    SimDatabase& db_;
    int depth_;
    bool done_ = false;
  };
  bool inTransaction() const { return depth_ > 0; }

  // Keeps the tables of another component (the device simulator, the data
  // server) at their version: calls migrate(db, fromVersion) inside a
  // transaction when the stored version is lower (0 = not yet created), and
  // throws kErrDatabase when it is higher.
  void ensureComponentSchema(const QString& component, int version,
                             const std::function<void(SimDatabase&, int fromVersion)>& migrate);

  // Named counters kept in the file, e.g. "nv_change". bumpCounter must run in
  // a transaction and returns the new value.
  qint64 counter(const char* name);
  qint64 bumpCounter(const char* name);

  // Throws the LnsError for a SQLite result code.
  [[noreturn]] void fail(int rc, const char* what) const;
  // Whether the last failure on this connection was another connection
  // holding the lock it needed for longer than the busy timeout.
  bool lastFailureWasBusy() const { return lastFailureBusy_; }
  void clearLastFailure() { lastFailureBusy_ = false; }
  // How long to wait for another connection's lock from now on.
  void setBusyTimeout(int ms);

  sqlite3* handle() const { return db_; }

 private:
  friend class Query;
  void checkSchema(bool mayCreate);
  void createSchema();
  void release(sqlite3_stmt* stmt, bool cached);
  void watchFile();
  static int refuseCommitToAnotherFile(void* self);

  QString path_;
  Options options_;
  sqlite3* db_ = nullptr;
  int depth_ = 0;
  mutable bool lastFailureBusy_ = false;
  // The file this connection opened (device and inode), and whether a commit
  // was refused because the path no longer names it.
  QByteArray localPath_;
  qint64 fileDevice_ = -1;
  qint64 fileInode_ = -1;
  bool fileGone_ = false;
  QHash<QByteArray, sqlite3_stmt*> cache_;
  QHash<sqlite3_stmt*, bool> busy_;
};

// "The network database ... : " + detail, as an LnsError.
lns::LnsError databaseError(const QString& detail);

}  // namespace lnssim
