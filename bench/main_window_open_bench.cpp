// From a director's "Configure" (SendCommand 13) to the end of the main
// window's open sequence, on the simulated demo network: the object is found,
// the family decided, and the window probes the device through the explicit
// message control, the data server and the RLX simulator, reads its variables
// and properties through the Object Server, and starts its status display.
// "First" opens a router the plug-in has never seen (its records are made
// then); "Again" opens the same router once more.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench/channel_overhead.h"
#include "explicit_control/zev_activex_ctrl.h"
#include "host/lnspluginapi.h"
#include "host/mmain.h"
#include "host/plugin_window.h"
#include "platform/ui_services.h"
#include "tests/support/sim_network.h"
#include "windows/fmain.h"
#include "windows/fmain_explicit.h"

namespace {

// Nobody answers; the benchmark's devices never make the windows ask.
class QuietUi : public platform::QtUiServices {
 public:
  int messageBox(const platform::MessageBoxRequest&) override {
    ++boxes;
    return platform::IdOk;
  }
  int showModal(QDialog*) override { return 0; }
  void showModeless(QWidget*) override {}
  int boxes = 0;
};

testing_support::SimNetwork* net = nullptr;
LNSPlugInAPI* director = nullptr;
QuietUi* ui = nullptr;

void prepareWindows() {
  for (WindowId id : {WindowId::fMain, WindowId::fMainExplicit})
    if (auto* w = dynamic_cast<DeviceWindow*>(Window(id)))
      w->Control->SetCompletionWait(&net->completionWait());
}

void Configure(benchmark::State& state, qint16 type, const QString& path) {
  prepareWindows();
  for (auto _ : state)
    director->SendCommand(13, type, path);
  if (ui->boxes)
    state.SkipWithError("the window reported a failure");
}

void BM_LonMarkInternalModemAgain(benchmark::State& state) {
  Configure(state, 28, QStringLiteral("Routers/RLX-LonMark/") + MMain.InternalModemObjectName);
}
BENCHMARK(BM_LonMarkInternalModemAgain)->Unit(benchmark::kMillisecond);

void BM_LonMarkDeviceAgain(benchmark::State& state) { Configure(state, 7, QStringLiteral("Routers/RLX-LonMark")); }
BENCHMARK(BM_LonMarkDeviceAgain)->Unit(benchmark::kMillisecond);

void BM_ExplicitDeviceAgain(benchmark::State& state) { Configure(state, 7, QStringLiteral("Routers/RLX-Explicit")); }
BENCHMARK(BM_ExplicitDeviceAgain)->Unit(benchmark::kMillisecond);

// A new router for every open: the description records (LonMark) or the auto
// answer set-up and the phonebook's first download of 64 entries (explicit)
// are part of the open.
void First(benchmark::State& state, bool explicitFamily) {
  prepareWindows();
  static int serial = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const QString name = QStringLiteral("RLX-New-%1").arg(++serial);
    net->addDevice(name, explicitFamily);
    const QString path = explicitFamily ? QStringLiteral("Routers/") + name
                                        : QStringLiteral("Routers/") + name + u'/' + MMain.InternalModemObjectName;
    state.ResumeTiming();
    director->SendCommand(13, explicitFamily ? 7 : 28, path);
  }
  if (ui->boxes)
    state.SkipWithError("the window reported a failure");
}

void BM_LonMarkInternalModemFirst(benchmark::State& state) { First(state, false); }
BENCHMARK(BM_LonMarkInternalModemFirst)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ExplicitDeviceFirst(benchmark::State& state) { First(state, true); }
BENCHMARK(BM_ExplicitDeviceFirst)->Unit(benchmark::kMillisecond)->Iterations(20);

// The explicit window's open sequence on a channel like the field's (40 ms per
// message): the plug-in's share of the time (channel_overhead.h). "First": a
// router never seen, with the auto answer set-up and the first phonebook
// download; "Again": the same router once more.
void ExplicitAtFieldLatency(benchmark::State& state, bool first) {
  prepareWindows();
  bench::ChannelMeter meter(net->server());
  static int serial = 0;
  QString path = QStringLiteral("Routers/RLX-Field");
  if (!first) {
    meter.add(net->addDevice(QStringLiteral("RLX-Field"), true));
    director->SendCommand(13, 7, path);
  }
  for (auto _ : state) {
    if (first) {
      state.PauseTiming();
      const QString name = QStringLiteral("RLX-Field-%1").arg(++serial);
      meter.add(net->addDevice(name, true));
      path = QStringLiteral("Routers/") + name;
      state.ResumeTiming();
    }
    meter.start();
    director->SendCommand(13, 7, path);
    meter.stop();
  }
  meter.report(state);
  if (ui->boxes)
    state.SkipWithError("the window reported a failure");
}

void BM_ExplicitDeviceFirstAtFieldLatency(benchmark::State& state) { ExplicitAtFieldLatency(state, true); }
void BM_ExplicitDeviceAgainAtFieldLatency(benchmark::State& state) { ExplicitAtFieldLatency(state, false); }
// Last: they run the network clock.
BENCHMARK(BM_ExplicitDeviceFirstAtFieldLatency)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExplicitDeviceAgainAtFieldLatency)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QuietUi quiet;
  ui = &quiet;
  platform::setUi(&quiet);
  benchmark::Initialize(&argc, argv);
  int rc = 0;
  {
    testing_support::SimNetwork network;
    net = &network;
    fMain::Register();
    fMainExplicit::Register();
    LNSPlugInAPI api;
    director = &api;
    api.setNetworkName(QString::fromLatin1(testing_support::SimNetwork::kNetworkName));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (WindowId id : {WindowId::fMainExplicit, WindowId::fMain})
      if (PlugInWindow* w = ExistingWindow(id))
        delete w->widget();
    RegisterWindow(WindowId::fMain, nullptr);
    RegisterWindow(WindowId::fMainExplicit, nullptr);
    SetShutdownProcedure(nullptr);
  }
  return rc;
}
