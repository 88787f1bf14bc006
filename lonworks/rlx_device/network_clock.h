#pragma once
// The network clock: the time the simulated devices live in. It is the
// process clock's wall time unless the network database pins it: frozen at
// one instant, or running with an offset. Every process that talks to the
// devices (RLX_Plug, the data server, lnsdb, rlx-msg) reads it from the same
// database, so tests and the demo can freeze and advance time for all of
// them at once (lnsdb clock freeze | advance MS | run).

#include <QtGlobal>
#include <chrono>

namespace lnssim {
class SimDatabase;
}
namespace platform {
class Clock;
}

namespace rlxsim {

struct NetworkClock {
  qint64 nowMs = 0;  // network time, epoch milliseconds
  bool frozen = false;
  qint64 offsetMs = 0;  // while running: network time minus the process clock's wall time
};

// The database must hold the simulator's tables (ensureSchema).
NetworkClock readNetworkClock(lnssim::SimDatabase& db, const platform::Clock& clock);
qint64 networkNow(lnssim::SimDatabase& db, const platform::Clock& clock);

// Stops network time where it is now.
void freezeNetworkClock(lnssim::SimDatabase& db, const platform::Clock& clock);
// Moves network time forward (frozen or running); ms must not be negative.
void advanceNetworkClock(lnssim::SimDatabase& db, const platform::Clock& clock, qint64 ms);
// Lets network time run again from where it stands.
void runNetworkClock(lnssim::SimDatabase& db, const platform::Clock& clock);

// The time a message spends on the channel (ms >= 0). Frozen network time is
// charged with it: moved forward by ms in the caller's transaction, so
// nothing waits and every process sees the time the message took. Running
// network time answers ms: the caller waits until that much real time has
// passed since the message arrived, after its transaction (waitChannelTime),
// so the message takes that long, the router's own handling included.
qint64 chargeChannelTime(lnssim::SimDatabase& db, const platform::Clock& clock, qint64 ms);
void waitChannelTime(std::chrono::steady_clock::time_point arrived, qint64 ms);

}  // namespace rlxsim
