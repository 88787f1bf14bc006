#include "rlx_endpoint.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <QFile>
#include <cstdio>

#include "lonworks/rlx_device/network_clock.h"
#include "lonworks/rlx_device/rlx_store.h"
#include "platform/registry.h"

namespace rlxsim {

RlxEndpoint::RlxEndpoint(const platform::Clock& clock, std::function<QString()> databasePath)
    : clock_(clock), databasePath_(std::move(databasePath)) {
  checks_.busyTimeoutMs = kCheckWaitMs;
  deliveries_.busyTimeoutMs = kDefaultDeliveryWaitMs;
}

RlxEndpoint::~RlxEndpoint() {
  // One last try for what is still unlogged, on the connection already open,
  // waiting as long as any program waits for the database; what still cannot
  // be logged is named on the error output rather than lost without a word.
  if (undelivered_.isEmpty() || !deliveries_.ctx)
    return;
  try {
    deliveries_.db->setBusyTimeout(kFinalWaitMs);
    logUndelivered(*deliveries_.ctx);
  } catch (const lns::LnsError& e) {
    for (const Undelivered& u : std::as_const(undelivered_))
      std::fprintf(stderr,
                   "RLX simulator: message \"%s\" to device # %d was not delivered and could not be logged: %s\n",
                   qPrintable(u.text), int(u.deviceHandle), qPrintable(e.description()));
  }
}

void RlxEndpoint::setDeliveryWait(int ms) {
  deliveries_.busyTimeoutMs = ms;
  if (deliveries_.db)
    deliveries_.db->setBusyTimeout(ms);
}

lnssim::RuntimeContext& RlxEndpoint::context(Connection& c) {
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
    if (c.db && hive == c.checkedHive && now - c.hiveCheckedAt < registryCheckIntervalMs_)
      return *c.ctx;
    c.checkedHive = hive;
    c.hiveCheckedAt = now;
    struct stat st {};
    if (::stat(QFile::encodeName(hive).constData(), &st) == 0)
      key = hive + QStringLiteral("|%1.%2|%3|%4")
                       .arg(qint64(st.st_mtim.tv_sec))
                       .arg(qint64(st.st_mtim.tv_nsec))
                       .arg(qint64(st.st_size))
                       .arg(quint64(st.st_ino));
    else
      key = hive;
    if (c.db && key == c.registryKey)
      return *c.ctx;
  }
  const QString path = databasePath_ ? databasePath_() : lnssim::SimDatabase::defaultPath();
  if (!c.db || path != c.openPath) {
    c.ctx.reset();
    c.db.reset();
    c.registryKey.clear();
    lnssim::SimDatabase::Options options;
    options.busyTimeoutMs = c.busyTimeoutMs;
    auto db = std::make_unique<lnssim::SimDatabase>(path, options);
    ensureSchema(*db);
    c.db = std::move(db);
    c.openPath = path;
    c.ctx = std::make_unique<lnssim::DatabaseRuntimeContext>(*c.db, clock_);
  }
  c.registryKey = key;
  return *c.ctx;
}

namespace {

bool systemExists(lnssim::RuntimeContext& ctx, std::int32_t dataServer) {
  return ctx.database().query("SELECT 1 FROM systems WHERE id=?1").bind(1, qint64(dataServer)).scalarInt().has_value();
}

std::optional<lnssim::DeviceIdentity> findDevice(lnssim::RuntimeContext& ctx, std::int32_t dataServer,
                                                 std::int32_t handle) {
  const auto id = ctx.database()
                      .query("SELECT id FROM devices WHERE system_id=?1 AND handle=?2")
                      .bindAll(qint64(dataServer), qint64(handle))
                      .scalarInt();
  if (!id)
    return std::nullopt;
  return ctx.device(*id);
}

// Puts a connection's own busy timeout back after a check borrowed it.
struct BusyTimeoutBack {
  lnssim::SimDatabase& db;
  int ms;
  ~BusyTimeoutBack() { db.setBusyTimeout(ms); }
};

std::pair<qint64, qint64> changeStamp(lnssim::SimDatabase& db) {
  const qint64 version = db.query("PRAGMA data_version").scalarInt().value_or(-1);
  return {version, qint64(sqlite3_total_changes64(db.handle()))};
}

}  // namespace

lcadatsv::DeviceStatus RlxEndpoint::checkDevice(std::int32_t dataServer, const std::string&, std::int32_t handle) {
  // On the deliveries' connection when no message is under way: it made the
  // last change, so its cache still holds what the check reads. Otherwise on
  // a connection of its own, never waiting for the message.
  std::unique_lock<std::mutex> lane(deliveryLane_, std::try_to_lock);
  Connection& c = lane.owns_lock() ? deliveries_ : checks_;
  if (c.db) {
    c.db->clearLastFailure();
    c.db->setBusyTimeout(kCheckWaitMs);
  }
  try {
    lnssim::RuntimeContext& ctx = context(c);
    lnssim::SimDatabase& db = ctx.database();
    db.setBusyTimeout(kCheckWaitMs);
    const BusyTimeoutBack restore{db, c.busyTimeoutMs};
    const auto stamp = changeStamp(db);
    if (checkMemo_.db == &db && checkMemo_.stamp == stamp && checkMemo_.dataServer == dataServer &&
        checkMemo_.handle == handle)
      return checkMemo_.status;
    const lcadatsv::DeviceStatus status = checkDeviceNow(ctx, dataServer, handle);
    checkMemo_ = {stamp, dataServer, handle, status, &db};
    lastStatus_[{dataServer, handle}] = status;
    return status;
  } catch (const lns::LnsError&) {
    if (c.db)
      c.db->setBusyTimeout(c.busyTimeoutMs);
    if (c.db && c.db->lastFailureWasBusy()) {
      // Held by another program beyond the short wait: the device is taken to
      // be as it was last found (a device never checked, as there), and the
      // message goes on to be delivered or not.
      const auto known = lastStatus_.find({dataServer, handle});
      return known != lastStatus_.end() ? known->second : lcadatsv::DeviceStatus::Ok;
    }
    return lcadatsv::DeviceStatus::Failure;
  }
}

lcadatsv::DeviceStatus RlxEndpoint::checkDeviceNow(lnssim::RuntimeContext& ctx, std::int32_t dataServer,
                                                   std::int32_t handle) {
  // One statement: the system, the device under it and, of its stored state,
  // only the fault (a device without a stored state has none).
  lnssim::Query q = ctx.database().query(
      "SELECT d.program_id, json_extract(s.doc, '$.fault') FROM systems y "
      "LEFT JOIN devices d ON d.system_id=y.id AND d.handle=?2 "
      "LEFT JOIN rlx_state s ON s.device_id=d.id WHERE y.id=?1");
  q.bindAll(qint64(dataServer), qint64(handle));
  if (!q.next())
    return lcadatsv::DeviceStatus::UnknownDataServer;
  if (q.isNull(0))
    return lcadatsv::DeviceStatus::UnknownDevice;
  if (!familyOf(q.text(0)) || q.isNull(1))
    return lcadatsv::DeviceStatus::Ok;
  switch (faultFromName(q.text(1)).value_or(Fault::None)) {
    case Fault::Failure: return lcadatsv::DeviceStatus::Failure;
    case Fault::ResetOnce: return lcadatsv::DeviceStatus::ResetFirst;
    default: return lcadatsv::DeviceStatus::Ok;
  }
}

lcadatsv::DeviceStatus RlxEndpoint::reset(std::int32_t dataServer) {
  try {
    lnssim::RuntimeContext& ctx = context(checks_);
    if (!systemExists(ctx, dataServer))
      return lcadatsv::DeviceStatus::UnknownDataServer;
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

void RlxEndpoint::logUndelivered(lnssim::RuntimeContext& ctx) {
  if (undelivered_.isEmpty())
    return;
  lnssim::SimDatabase::Transaction tx(ctx.database());
  const qint64 now = networkNow(ctx.database(), ctx.clock());
  for (const Undelivered& u : std::as_const(undelivered_)) {
    const auto device = findDevice(ctx, u.dataServer, u.deviceHandle);
    if (device && familyOf(device->programId))
      appendTraffic(ctx.database(), device->rowId,
                    TrafficEntry{u.atMs ? u.atMs : now, QString(), QStringLiteral("not delivered"), u.text});
  }
  tx.commit();
  undelivered_.clear();
}

void RlxEndpoint::keepUndelivered(const lcadatsv::DeviceRequest& request, const QString& text) {
  Undelivered u{request.dataServer, request.deviceHandle, 0, text};
  try {
    u.atMs = networkNow(deliveries_.ctx->database(), clock_);  // reading may still work
  } catch (const lns::LnsError&) {
  }
  if (undelivered_.size() >= kUndeliveredLimit)
    undelivered_.removeFirst();
  undelivered_ << u;
}

lcadatsv::DeviceAnswer RlxEndpoint::request(const lcadatsv::DeviceRequest& request) {
  // The message's time on the channel counts from its writing.
  const auto arrived =
      request.written != std::chrono::steady_clock::time_point{} ? request.written : std::chrono::steady_clock::now();
  const QString text = requestLogText(request.messageCode, request.text);
  const std::lock_guard<std::mutex> lane(deliveryLane_);
  if (deliveries_.db)
    deliveries_.db->clearLastFailure();
  try {
    lnssim::RuntimeContext& ctx = context(deliveries_);
    lnssim::SimDatabase& db = ctx.database();
    logUndelivered(ctx);
    lnssim::SimDatabase::Transaction tx(db);
    const auto device = findDevice(ctx, request.dataServer, request.deviceHandle);
    if (!device || !familyOf(device->programId)) {
      tx.commit();
      // A device that is not an RLX router does not speak these messages.
      return device ? lcadatsv::DeviceAnswer::noAnswer() : lcadatsv::DeviceAnswer::failure();
    }
    DeviceSession session(ctx, *device);
    if (session.state().fault == Fault::Failure) {
      session.commit();
      tx.commit();
      return lcadatsv::DeviceAnswer::failure();
    }
    const ChannelPass pass = passChannel(session.state(), device->rowId);
    if (pass.lost) {
      session.log(QString(), QStringLiteral("lost"), text);
      session.commit();
      tx.commit();
      return lcadatsv::DeviceAnswer::noAnswer();
    }
    const Bytes body(request.data.begin(), request.data.end());
    const ExplicitAnswer answer = handleExplicit(session.state(), session.context(), body, session.now());
    session.log(QString(), answer.silent ? QStringLiteral("no answer") : QStringLiteral("ok"), text);
    const qint64 wait = answer.silent ? 0 : chargeChannelTime(db, clock_, pass.delayMs);
    session.commit();
    tx.commit();
    waitChannelTime(arrived, wait);
    if (answer.silent)
      return lcadatsv::DeviceAnswer::noAnswer();
    return lcadatsv::DeviceAnswer::reply(std::vector<std::uint8_t>(answer.reply.begin(), answer.reply.end()));
  } catch (const lns::LnsError&) {
    if (deliveries_.db && deliveries_.db->lastFailureWasBusy())
      keepUndelivered(request, text);
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
