#include "network_clock.h"

#include <optional>
#include <thread>

#include "lonworks/object_server/sim_database.h"
#include "platform/clock.h"

namespace rlxsim {

namespace {
constexpr int kWakeUpMarginUs = 300;
}  // namespace

NetworkClock readNetworkClock(lnssim::SimDatabase& db, const platform::Clock& clock) {
  NetworkClock c;
  lnssim::Query q = db.query("SELECT frozen_ms, offset_ms FROM rlx_clock WHERE id=1");
  if (q.next()) {
    c.frozen = !q.isNull(0);
    c.offsetMs = q.int64(1);
    if (c.frozen) {
      c.nowMs = q.int64(0);
      return c;
    }
  }
  c.nowMs = clock.epochMs() + c.offsetMs;
  return c;
}

qint64 networkNow(lnssim::SimDatabase& db, const platform::Clock& clock) { return readNetworkClock(db, clock).nowMs; }

namespace {

void store(lnssim::SimDatabase& db, std::optional<qint64> frozen, qint64 offset) {
  lnssim::Query q = db.query(
      "INSERT INTO rlx_clock(id, frozen_ms, offset_ms) VALUES(1, ?1, ?2) "
      "ON CONFLICT(id) DO UPDATE SET frozen_ms=excluded.frozen_ms, offset_ms=excluded.offset_ms");
  if (frozen)
    q.bind(1, *frozen);
  else
    q.bindNull(1);
  q.bind(2, offset).run();
}

}  // namespace

void freezeNetworkClock(lnssim::SimDatabase& db, const platform::Clock& clock) {
  lnssim::SimDatabase::Transaction tx(db);
  const NetworkClock c = readNetworkClock(db, clock);
  store(db, c.nowMs, c.offsetMs);
  tx.commit();
}

void advanceNetworkClock(lnssim::SimDatabase& db, const platform::Clock& clock, qint64 ms) {
  lnssim::SimDatabase::Transaction tx(db);
  const NetworkClock c = readNetworkClock(db, clock);
  if (c.frozen)
    store(db, c.nowMs + ms, c.offsetMs);
  else
    store(db, std::nullopt, c.offsetMs + ms);
  tx.commit();
}

void runNetworkClock(lnssim::SimDatabase& db, const platform::Clock& clock) {
  lnssim::SimDatabase::Transaction tx(db);
  const NetworkClock c = readNetworkClock(db, clock);
  store(db, std::nullopt, c.nowMs - clock.epochMs());
  tx.commit();
}

qint64 chargeChannelTime(lnssim::SimDatabase& db, const platform::Clock& clock, qint64 ms) {
  if (ms <= 0)
    return 0;
  const NetworkClock c = readNetworkClock(db, clock);
  if (!c.frozen)
    return ms;
  lnssim::SimDatabase::Transaction tx(db);
  store(db, c.nowMs + ms, c.offsetMs);
  tx.commit();
  return 0;
}

void waitChannelTime(std::chrono::steady_clock::time_point arrived, qint64 ms) {
  if (ms <= 0)
    return;
  // A sleep ends a tenth of a millisecond or more after its time: sleep until
  // shortly before, then yield until the time, so a message takes its
  // latency and not noticeably more.
  using namespace std::chrono;
  const steady_clock::time_point until = arrived + milliseconds(ms);
  std::this_thread::sleep_until(until - microseconds(kWakeUpMarginUs));
  while (steady_clock::now() < until)
    std::this_thread::yield();
}

}  // namespace rlxsim
