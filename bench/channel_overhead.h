#pragma once
// The plug-in's share of the time on a channel like the field's: every router
// measured takes kFieldLatencyMs per message (lnsdb set-rlx latency), and
// network time runs, so each message really takes that long.
//
// The share is measured on the wall clock: W, the wall time of the timed
// work, against N * L, the time its N messages (as the routers count them)
// spend on the channel of latency L. Overhead = (W - N*L) / (N*L): whatever
// the operator waits beyond the channel, whether the plug-in computes,
// blocks or waits needlessly, and also the simulator's own work on each
// message (so it is an upper bound on the plug-in's part).

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QList>

#include "lonworks/object_server/object_server.h"
#include "lonworks/rlx_device/network_clock.h"
#include "lonworks/rlx_device/rlx_store.h"
#include "platform/clock.h"

namespace bench {

inline constexpr qint64 kFieldLatencyMs = 40;

class ChannelMeter {
 public:
  explicit ChannelMeter(lnssim::SimObjectServer& server)
      : server_(server), wasFrozen_(rlxsim::readNetworkClock(server.database(), wall()).frozen) {
    rlxsim::runNetworkClock(server_.database(), wall());
  }
  // Leaves the routers and the clock as they were, for the benchmarks after.
  ~ChannelMeter() {
    for (const lnssim::DeviceIdentity& d : std::as_const(routers_)) {
      rlxsim::DeviceSession session(server_.runtimeContext(), d);
      session.state().channel = rlxsim::Channel{};
      session.commit();
    }
    if (wasFrozen_)
      rlxsim::freezeNetworkClock(server_.database(), wall());
  }
  ChannelMeter(const ChannelMeter&) = delete;
  ChannelMeter& operator=(const ChannelMeter&) = delete;

  // Puts the router on the field's channel; its messages are counted from now on.
  void add(const lns::AppDevicePtr& router) {
    const auto identity = server_.runtimeContext().device(lnssim::rowIdOf(router.get()));
    rlxsim::DeviceSession session(server_.runtimeContext(), *identity);
    session.state().channel = rlxsim::Channel{kFieldLatencyMs, 0, 0, 0};
    session.commit();
    routers_ << *identity;
  }

  // Around each timed part.
  void start() {
    startMessages_ = messages();
    timer_.start();
  }
  void stop() {
    wallNs_ += timer_.nsecsElapsed();
    messages_ += messages() - startMessages_;
  }

  // Counters: messages and channel time per iteration, and the overhead in per cent.
  void report(benchmark::State& state) const {
    const double channelNs = double(messages_) * kFieldLatencyMs * 1e6;
    state.counters["messages"] = benchmark::Counter(double(messages_), benchmark::Counter::kAvgIterations);
    state.counters["channel_ms"] = benchmark::Counter(channelNs / 1e6, benchmark::Counter::kAvgIterations);
    state.counters["overhead_pct"] = channelNs > 0 ? (double(wallNs_) - channelNs) / channelNs * 100 : 0;
    if (messages_ == 0)
      state.SkipWithError("no message crossed the channel");
  }

 private:
  static const platform::Clock& wall() { return platform::SystemClock::instance(); }
  qint64 messages() {
    lnssim::RuntimeContext& ctx = server_.runtimeContext();
    const qint64 now = rlxsim::networkNow(ctx.database(), ctx.clock());
    qint64 n = 0;
    for (const lnssim::DeviceIdentity& d : std::as_const(routers_))
      n += rlxsim::peekState(ctx, d, now).channel.messages;
    return n;
  }

  lnssim::SimObjectServer& server_;
  const bool wasFrozen_;
  QList<lnssim::DeviceIdentity> routers_;
  QElapsedTimer timer_;
  qint64 startMessages_ = 0;
  qint64 messages_ = 0;
  qint64 wallNs_ = 0;
};

}  // namespace bench
