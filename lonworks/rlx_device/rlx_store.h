#pragma once
// The simulated RLX routers kept in the network database, so every process
// that opens the database works with the same devices.
//
// Tables (component "rlx_device"):
//   rlx_state    one JSON document per device (rlx_state.h) and the network
//                time of its next change of its own (due_ms), for polling;
//   rlx_traffic  the requests each device received (the last kTrafficLogLimit
//                are listed; older ones are trimmed now and then);
//   rlx_rings    the ring shape of each subsystem and ring members the
//                database does not hold;
//   rlx_clock    the network clock (network_clock.h).
//
// A device gets its row the first time it is used, starting from what the
// database holds for it: the LonMark family's property values and product
// name become its settings, so a network built before the simulator was
// plugged in keeps its values.

#include <QList>
#include <QString>
#include <optional>

#include "lonworks/object_server/device_runtime.h"
#include "lonworks/object_server/sim_database.h"
#include "lonworks/rlx_device/rlx_model.h"

namespace rlxsim {

// Creates or upgrades the simulator's tables. Whoever opens a database for
// the simulator calls it once before sessions, peeks and ring views use it.
void ensureSchema(lnssim::SimDatabase& db);

// The family of an RLX program identifier; nullopt for other devices, which
// the simulator leaves to the stored values.
std::optional<Family> familyOf(const QString& programId);

// The ring of a subsystem as set up with lnsdb.
struct RingConfig {
  bool closed = true;
  QString endA, endB;          // Neuron IDs of the ends of an open ring
  QList<RingMember> phantoms;  // members the network database does not hold
};
RingConfig readRingConfig(lnssim::SimDatabase& db, qint64 subsystemId);
void writeRingConfig(lnssim::SimDatabase& db, qint64 subsystemId, const RingConfig& config);

// The ring of a subsystem at `now`: its routers that answer and are in ring
// mode, and its phantom members, in walk order. `self` (with its state as it
// stands in memory) takes the place of that device's stored state.
RingView buildRingView(lnssim::RuntimeContext& ctx, qint64 subsystemId, qint64 now,
                       const lnssim::DeviceIdentity* self = nullptr, const DeviceState* selfState = nullptr);

// One operation on one device: a transaction, the device's state advanced to
// the network time, and on commit() the state saved, the output variables
// that changed stored through the context (so the update event fires) and
// the transaction committed. Without commit() nothing is kept.
class DeviceSession {
 public:
  // Throws lns::LnsError(kErrInvalidValue) for a device that is not an RLX.
  DeviceSession(lnssim::RuntimeContext& ctx, const lnssim::DeviceIdentity& device);
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  DeviceState& state() { return state_; }
  const DeviceState& state() const { return state_; }
  qint64 now() const { return now_; }
  const lnssim::DeviceIdentity& device() const { return device_; }
  // What handleExplicit needs: the device's identity and its ring.
  DeviceContext context();
  RingView ringView();

  // Adds a line to the device's traffic log.
  void log(const QString& object, const QString& outcome, const QString& text);
  void commit();

 private:
  lnssim::RuntimeContext& ctx_;
  lnssim::SimDatabase& db_;
  lnssim::DeviceIdentity device_;
  lnssim::SimDatabase::Transaction tx_;
  qint64 now_ = 0;
  bool fresh_ = false;
  QByteArray loaded_;
  DeviceState loadedState_;
  QList<std::pair<QString, QString>> outputsBefore_;
  DeviceState state_;
};

// The state as stored (or as it would start), advanced to `now` in memory only.
DeviceState peekState(lnssim::RuntimeContext& ctx, const lnssim::DeviceIdentity& device, qint64 now);

// Devices whose state changes by itself at or before `now`.
QList<qint64> dueDevices(lnssim::SimDatabase& db, qint64 now);

struct TrafficEntry {
  qint64 atMs = 0;
  QString object;   // LonMark object of a variable or property; empty for a message
  QString outcome;  // "ok", "no answer", "refused", "lost" (by the channel), "not delivered" (database held)
  QString text;     // "00 01 48 00", "nviDialStr1=5551234", "UCPT_DialString[3]=9,555"
};
QList<TrafficEntry> traffic(lnssim::SimDatabase& db, qint64 deviceId);
// Adds a line to a device's traffic log (in the caller's transaction).
void appendTraffic(lnssim::SimDatabase& db, qint64 deviceId, const TrafficEntry& entry);
// Forgets the log of one device, or of every device.
void clearTraffic(lnssim::SimDatabase& db, std::optional<qint64> deviceId);

}  // namespace rlxsim
