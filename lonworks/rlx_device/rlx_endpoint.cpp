#include "rlx_endpoint.h"

#include <QFile>
#include <sqlite3.h>
#include <sys/stat.h>

#include "lonworks/rlx_device/rlx_store.h"
#include "platform/registry.h"

namespace rlxsim {

RlxEndpoint::RlxEndpoint(const platform::Clock& clock, std::function<QString()> databasePath)
    : clock_(clock), databasePath_(std::move(databasePath)) {}

RlxEndpoint::~RlxEndpoint() = default;

lnssim::RuntimeContext& RlxEndpoint::context() {
  // The registry may name another tree at any time (each test has its own):
  // follow it. Finding the file from the registry takes longer than the
  // message itself, so it is done again only when the registry's file changed.
  QString key;
  if (!databasePath_) {
    // stat() directly: a QFileInfo time would go through the local time zone.
    // The hive is looked at again after the check interval, or at once when
    // the registry root itself changed.
    const QString hive = platform::Registry::hiveFile(platform::Hive::LocalMachine);
    const qint64 now = platform::SystemClock::instance().nowMs();
    if (db_ && hive == checkedHive_ && now - hiveCheckedAt_ < registryCheckIntervalMs_)
      return *ctx_;
    checkedHive_ = hive;
    hiveCheckedAt_ = now;
    struct stat st {};
    if (::stat(QFile::encodeName(hive).constData(), &st) == 0)
      key = hive + QStringLiteral("|%1.%2|%3|%4")
                       .arg(qint64(st.st_mtim.tv_sec))
                       .arg(qint64(st.st_mtim.tv_nsec))
                       .arg(qint64(st.st_size))
                       .arg(quint64(st.st_ino));
    else
      key = hive;
    if (db_ && key == registryKey_)
      return *ctx_;
  }
  const QString path = databasePath_ ? databasePath_() : lnssim::SimDatabase::defaultPath();
  if (!db_ || path != openPath_) {
    ctx_.reset();
    db_.reset();
    registryKey_.clear();
    db_ = std::make_unique<lnssim::SimDatabase>(path);
    openPath_ = path;
    ctx_ = std::make_unique<lnssim::DatabaseRuntimeContext>(*db_, clock_);
    ensureSchema(*db_);
  }
  registryKey_ = key;
  return *ctx_;
}

bool RlxEndpoint::systemExists(std::int32_t dataServer) {
  return context().database().query("SELECT 1 FROM systems WHERE id=?1").bind(1, qint64(dataServer)).scalarInt().has_value();
}

std::optional<lnssim::DeviceIdentity> RlxEndpoint::findDevice(std::int32_t dataServer, std::int32_t handle) {
  lnssim::RuntimeContext& ctx = context();
  const auto id = ctx.database()
                      .query("SELECT id FROM devices WHERE system_id=?1 AND handle=?2")
                      .bindAll(qint64(dataServer), qint64(handle))
                      .scalarInt();
  if (!id)
    return std::nullopt;
  return ctx.device(*id);
}

namespace {

// Reads that belong together in one read transaction: one lock instead of one per statement.
class ReadTransaction {
 public:
  explicit ReadTransaction(lnssim::SimDatabase& db) : db_(db) { db_.exec("BEGIN"); }
  ~ReadTransaction() {
    try {
      db_.exec("COMMIT");
    } catch (const lns::LnsError&) {
    }
  }
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;

 private:
  lnssim::SimDatabase& db_;
};

}  // namespace

std::pair<qint64, qint64> RlxEndpoint::changeStamp() {
  lnssim::SimDatabase& db = context().database();
  const qint64 version = db.query("PRAGMA data_version").scalarInt().value_or(-1);
  return {version, qint64(sqlite3_total_changes64(db.handle()))};
}

lcadatsv::DeviceStatus RlxEndpoint::checkDevice(std::int32_t dataServer, const std::string& name, std::int32_t handle) {
  try {
    const auto stamp = changeStamp();
    if (checkMemo_.db == &context().database() && checkMemo_.stamp == stamp && checkMemo_.dataServer == dataServer &&
        checkMemo_.handle == handle)
      return checkMemo_.status;
    const lcadatsv::DeviceStatus status = checkDeviceNow(dataServer, name, handle);
    checkMemo_ = {stamp, dataServer, handle, status, &context().database()};
    return status;
  } catch (const lns::LnsError&) {
    return lcadatsv::DeviceStatus::Failure;
  }
}

lcadatsv::DeviceStatus RlxEndpoint::checkDeviceNow(std::int32_t dataServer, const std::string&, std::int32_t handle) {
  try {
    const ReadTransaction reading(context().database());
    if (!systemExists(dataServer))
      return lcadatsv::DeviceStatus::UnknownDataServer;
    const auto device = findDevice(dataServer, handle);
    if (!device)
      return lcadatsv::DeviceStatus::UnknownDevice;
    if (!familyOf(device->programId))
      return lcadatsv::DeviceStatus::Ok;
    lnssim::RuntimeContext& ctx = context();
    const DeviceState s = peekState(ctx, *device, 0);
    switch (s.fault) {
      case Fault::Failure:
        return lcadatsv::DeviceStatus::Failure;
      case Fault::ResetOnce:
        return lcadatsv::DeviceStatus::ResetFirst;
      default:
        return lcadatsv::DeviceStatus::Ok;
    }
  } catch (const lns::LnsError&) {
    return lcadatsv::DeviceStatus::Failure;
  }
}

lcadatsv::DeviceStatus RlxEndpoint::reset(std::int32_t dataServer) {
  try {
    if (!systemExists(dataServer))
      return lcadatsv::DeviceStatus::UnknownDataServer;
    lnssim::RuntimeContext& ctx = context();
    QList<qint64> pending;
    {
      lnssim::Query q = ctx.database().query(
          "SELECT s.device_id FROM rlx_state s JOIN devices d ON d.id=s.device_id "
          "WHERE d.system_id=?1 AND s.doc LIKE '%\"fault\":\"reset-once\"%'");
      q.bind(1, qint64(dataServer));
      while (q.next())
        pending << q.int64(0);
    }
    for (qint64 id : std::as_const(pending)) {
      const auto device = ctx.device(id);
      if (!device || !familyOf(device->programId))
        continue;
      DeviceSession session(ctx, *device);
      if (session.state().fault == Fault::ResetOnce)
        session.state().fault = Fault::None;
      session.commit();
    }
    return lcadatsv::DeviceStatus::Ok;
  } catch (const lns::LnsError&) {
    return lcadatsv::DeviceStatus::Failure;
  }
}

lcadatsv::DeviceAnswer RlxEndpoint::request(const lcadatsv::DeviceRequest& request) {
  try {
    lnssim::SimDatabase::Transaction tx(context().database());
    const auto device = findDevice(request.dataServer, request.deviceHandle);
    if (!device)
      return lcadatsv::DeviceAnswer::failure();
    if (!familyOf(device->programId))
      return lcadatsv::DeviceAnswer::noAnswer();  // not a device that speaks these messages
    DeviceSession session(context(), *device);
    if (session.state().fault == Fault::Failure) {
      session.commit();
      tx.commit();
      return lcadatsv::DeviceAnswer::failure();
    }
    const QString text = requestLogText(request.messageCode, request.text);
    const Bytes body(request.data.begin(), request.data.end());
    const ExplicitAnswer answer = handleExplicit(session.state(), session.context(), body, session.now());
    session.log(QString(), answer.silent ? QStringLiteral("no answer") : QStringLiteral("ok"), text);
    session.commit();
    tx.commit();
    if (answer.silent)
      return lcadatsv::DeviceAnswer::noAnswer();
    return lcadatsv::DeviceAnswer::reply(std::vector<std::uint8_t>(answer.reply.begin(), answer.reply.end()));
  } catch (const lns::LnsError&) {
    return lcadatsv::DeviceAnswer::failure();
  }
}

QString requestLogText(std::int32_t messageCode, const std::string& body) {
  QString text = QString::fromLatin1(body.data(), qsizetype(body.size()));
  for (QChar& c : text)
    if (c.unicode() < 0x20)
      c = u' ';  // a tab separates values like a blank; the log keeps one line per request
  return QStringLiteral("%1 ").arg(messageCode, 2, 10, QLatin1Char('0')) + text;
}

}  // namespace rlxsim
