#include "rlx_runtime.h"

#include <exception>

#include "lonworks/rlx_device/network_clock.h"
#include "lonworks/rlx_device/rlx_store.h"

namespace rlxsim {

namespace {

[[noreturn]] void silent(const DeviceSession& session) {
  const lnssim::DeviceIdentity& d = session.device();
  const QString why =
      restarting(session.state(), session.now()) ? QStringLiteral("is restarting") : QStringLiteral("does not answer");
  throw lns::LnsError(lns::kErrDeviceNoResponse, QStringLiteral("%1/%2 %3").arg(d.subsystemName, d.name, why));
}

QString pointText(const lnssim::PointAccess& p, const QString& value) {
  return p.element >= 0 ? QStringLiteral("%1[%2]=%3").arg(p.name).arg(p.element).arg(value) : p.name + u'=' + value;
}

bool isRlx(const lnssim::DeviceIdentity& d) { return familyOf(d.programId).has_value(); }

// Every access crosses the channel first: a lost one finds the device
// silent, a delivered one takes its time (charged to frozen network time in
// the session, waited out after it while network time runs).

// Reads through the model: the value the device reports, or the stored one
// for what it does not keep.
template <class Read>
QString read(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& p, Read&& value) {
  if (!isRlx(p.device))
    return p.storedValue;
  ensureSchema(ctx.database());
  const auto arrived = std::chrono::steady_clock::now();
  DeviceSession session(ctx, p.device);
  const ChannelPass pass = passChannel(session.state(), p.device.rowId);
  if (pass.lost || !answers(session.state(), session.now())) {
    session.commit();
    silent(session);
  }
  const QString result = value(session.state()).value_or(p.storedValue);
  const qint64 wait = chargeChannelTime(ctx.database(), ctx.clock(), pass.delayMs);
  session.commit();
  waitChannelTime(arrived, wait);
  return result;
}

// A write reaching the device: logged with its outcome, refused values and
// silent devices raise their error after the log is kept.
template <class Write>
void write(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& p, const QString& value, Write&& apply) {
  if (!isRlx(p.device))
    return;
  ensureSchema(ctx.database());
  const auto arrived = std::chrono::steady_clock::now();
  DeviceSession session(ctx, p.device);
  const QString text = pointText(p, value);
  const ChannelPass pass = passChannel(session.state(), p.device.rowId);
  if (pass.lost || !answers(session.state(), session.now())) {
    session.log(p.objectName, pass.lost ? QStringLiteral("lost") : QStringLiteral("no answer"), text);
    session.commit();
    silent(session);
  }
  const DeviceState before = session.state();
  std::exception_ptr refusal;
  try {
    apply(session.state(), session.now());
  } catch (const lns::LnsError&) {
    session.state() = before;
    refusal = std::current_exception();
  }
  session.log(p.objectName, refusal ? QStringLiteral("refused") : QStringLiteral("ok"), text);
  const qint64 wait = chargeChannelTime(ctx.database(), ctx.clock(), pass.delayMs);
  session.commit();
  waitChannelTime(arrived, wait);
  if (refusal)
    std::rethrow_exception(refusal);
}

}  // namespace

QString RlxRuntime::readNv(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& nv) {
  return read(ctx, nv, [&](const DeviceState& s) { return readVariable(s, nv.name); });
}

void RlxRuntime::writeNv(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& nv, const QString& value) {
  write(ctx, nv, value, [&](DeviceState& s, qint64 now) { writeVariable(s, nv.name, value, now); });
}

QString RlxRuntime::readCp(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& cp) {
  return read(ctx, cp, [&](const DeviceState& s) {
    return readProperty(s, cp.name, cp.objectIndex, cp.element, cp.elementCount);
  });
}

void RlxRuntime::writeCp(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& cp, const QString& value) {
  write(ctx, cp, value,
        [&](DeviceState& s, qint64 now) { writeProperty(s, cp.name, cp.objectIndex, cp.element, value, now); });
}

void RlxRuntime::test(lnssim::RuntimeContext& ctx, const lnssim::DeviceIdentity& device) {
  if (!isRlx(device))
    return;
  ensureSchema(ctx.database());
  const auto arrived = std::chrono::steady_clock::now();
  DeviceSession session(ctx, device);
  const ChannelPass pass = passChannel(session.state(), device.rowId);
  const bool answering = !pass.lost && answers(session.state(), session.now());
  const qint64 wait = answering ? chargeChannelTime(ctx.database(), ctx.clock(), pass.delayMs) : 0;
  session.commit();
  if (!answering)
    silent(session);
  waitChannelTime(arrived, wait);
}

void RlxRuntime::poll(lnssim::RuntimeContext& ctx) {
  lnssim::SimDatabase& db = ctx.database();
  ensureSchema(db);
  for (qint64 id : dueDevices(db, networkNow(db, ctx.clock()))) {
    const auto device = ctx.device(id);
    if (!device || !isRlx(*device))
      continue;
    DeviceSession session(ctx, *device);
    session.commit();
  }
}

std::shared_ptr<lnssim::DeviceRuntime> makeRlxRuntime() { return std::make_shared<RlxRuntime>(); }

void installRlxRuntime(lnssim::SimObjectServer& server) { server.setRuntime(makeRlxRuntime()); }

std::shared_ptr<lnssim::SimObjectServer> makeRlxObjectServer() {
  return std::make_shared<lnssim::SimObjectServer>(lnssim::ServerOptions{}, makeRlxRuntime());
}

}  // namespace rlxsim
