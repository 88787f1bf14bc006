// A ring status query over a ring of 64 RLX devices: the explicit messages
// through the control and the data server (one start, the polls, 63 replies
// of the other units and the end mark), the database cross-checks and the
// result. The one-second pauses between polls pass in simulated time, so
// what is measured is the query's work.
//
// BM_RingStatusQuery: the devices answer from a scripted ring, so the time is
// the plug-in's own. BM_RingStatusQueryOnSimulator (built with the shared
// simulated network): the RLX simulator answers, working out the ring from
// the network database for every reply, as a whole installation would.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>

#include "host/mmain.h"
#include "platform/ui_services.h"
#include "ring_stats/fringmode.h"
#include "ring_stats/ring_stats.h"
#include "ring_stats/testing/sim_ring_network.h"
#ifdef RING_BENCH_SIMULATOR
#include "bench/channel_overhead.h"
#include "lonworks/object_server/lnsdb_rlx_commands.h"
#include "lonworks/rlx_device/rlx_state.h"
#include "tests/support/sim_network.h"
#endif

namespace {

// Answers every box with its first button and shows nothing.
class QuietUi : public platform::UiServices {
 public:
  int messageBox(const platform::MessageBoxRequest& request) override {
    last = request.text;
    ++boxes;
    return platform::IdOk;
  }
  void beep() override {}
  void setPointer(platform::Pointer p) override { pointer_ = p; }
  platform::Pointer pointer() const override { return pointer_; }
  void processEvents() override { QApplication::processEvents(); }
  int showModal(QDialog*) override { return 0; }
  void showModeless(QWidget*) override {}
  bool openUrl(const QString&) override { return true; }
  bool openDocument(const QString&, const QString&) override { return true; }

  QString last;
  int boxes = 0;

 private:
  platform::Pointer pointer_ = platform::Pointer::Default;
};

QuietUi& quietUi() {
  static QuietUi ui;
  return ui;
}

void BM_RingStatusQuery(benchmark::State& state) {
  const int units = int(state.range(0));
  ring_testing::SimRingNetwork net;
  const QList<lns::AppDevicePtr> devices = net.addRlxs(units, lnssim::RlxFamily::Explicit, QStringLiteral("R"));
  ring_testing::RingLayout ring;
  for (int i = 0; i < units; ++i)
    ring.members.push_back(ring_testing::SimRingNetwork::member(devices[i], std::uint8_t(i + 1)));
  ring.runningPolls = 2;
  net.devices().setRing(net.dataServer(), ring);
  ring_testing::StubMainWindow main(true, devices[0]);
  MMain.ExplicitFamily = 1;
  qint64 simulatedMs = 0;
  fRingMode::SetPause([&simulatedMs](fRingMode&, int ms) { simulatedMs += ms; });
  ring_stats::OpenRingMode(main);
  fRingMode* window = ring_stats::LoadedRingModeWindow();

  for (auto _ : state) {
    quietUi().boxes = 0;
    window->QueryRingStatus->click();
    if (quietUi().boxes != 1 || quietUi().last != QStringLiteral("Ring is Closed!")) {
      state.SkipWithError("the query did not report a closed ring");
      break;
    }
  }
  state.counters["simulated_pause_ms"] = benchmark::Counter(double(simulatedMs), benchmark::Counter::kAvgIterations);
  fRingMode::SetPause(nullptr);
  ring_stats::UnloadRingStatsWindows();
  MMain.ExplicitFamily = 0;
}
BENCHMARK(BM_RingStatusQuery)->Arg(64)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

#ifdef RING_BENCH_SIMULATOR
void BM_RingStatusQueryOnSimulator(benchmark::State& state) {
  const int units = int(state.range(0));
  testing_support::SimNetwork net;
  QList<lns::AppDevicePtr> devices{net.explicitDevice()};
  for (int i = 2; i <= units; ++i)
    devices << net.addDevice(QStringLiteral("RLX-%1").arg(i), true);
  for (int i = 0; i < units; ++i)
    net.change(devices[i], [i](rlxsim::DeviceState& s) {
      s.ring.enabled = true;
      s.ring.unit = i + 1;
    });
  ring_testing::StubMainWindow main(true, devices[0]);
  main.control().SetCompletionWait(&net.completionWait());
  MMain.ExplicitFamily = 1;
  fRingMode::SetPause([&net](fRingMode&, int ms) { net.advance(ms); });
  ring_stats::OpenRingMode(main);
  fRingMode* window = ring_stats::LoadedRingModeWindow();

  for (auto _ : state) {
    quietUi().boxes = 0;
    window->QueryRingStatus->click();
    // The demo network's LonMark router is not in the ring: it did not respond.
    if (quietUi().boxes != 2 || quietUi().last != QStringLiteral("Ring is Closed!")) {
      state.SkipWithError("the query did not report a closed ring");
      break;
    }
  }
  fRingMode::SetPause(nullptr);
  ring_stats::UnloadRingStatsWindows();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_RingStatusQueryOnSimulator)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(5);

// The demo network's ring (six routers, as lnsdb demo makes it) queried from
// Routers/RLX-Explicit on a channel like the field's (40 ms per message): the
// plug-in's share of the time (channel_overhead.h). The pauses between polls
// pass in network time, as above.
void BM_RingStatusDemoRingAtFieldLatency(benchmark::State& state) {
  testing_support::SimNetwork net;
  lnsdb::ensureRlxDemo(net.server());
  ring_testing::StubMainWindow main(true, net.explicitDevice());
  main.control().SetCompletionWait(&net.completionWait());
  MMain.ExplicitFamily = 1;
  fRingMode::SetPause([&net](fRingMode&, int ms) { net.advance(ms); });
  ring_stats::OpenRingMode(main);
  fRingMode* window = ring_stats::LoadedRingModeWindow();
  {
    bench::ChannelMeter meter(net.server());
    for (const char* name : {"RLX-Explicit", "RLX-LonMark", "RLX-North", "RLX-East", "RLX-South", "RLX-West"})
      meter.add(net.device(QString::fromLatin1(name)));
    for (auto _ : state) {
      quietUi().boxes = 0;
      meter.start();
      window->QueryRingStatus->click();
      meter.stop();
      if (quietUi().last != QStringLiteral("Ring is Closed!")) {
        state.SkipWithError("the query did not report a closed ring");
        break;
      }
    }
    meter.report(state);
  }
  fRingMode::SetPause(nullptr);
  ring_stats::UnloadRingStatsWindows();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_RingStatusDemoRingAtFieldLatency)->Unit(benchmark::kMillisecond)->Iterations(3);
#endif

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  platform::setUi(&quietUi());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
