// The phonebook on a 64-entry explicit router of the simulated network:
// opening the editor, the first download with its progress window, and the
// two resynchronisations, each through the explicit message control, the
// data server and the RLX simulator.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "bench/bench_network.h"
#include "bench/channel_overhead.h"
#include "explicit_control/zev_activex_ctrl.h"
#include "host/mmain.h"
#include "lonworks/object_server/rlx_devices.h"
#include "lonworks/rlx_device/rlx_runtime.h"
#include "lonworks/rlx_device/rlx_store.h"
#include "phonebook/fphonebook.h"
#include "phonebook/phonebook_store.h"
#include "phonebook/phonebook_sync.h"
#include "platform/registry.h"
#include "window_support/device_link.h"

namespace {

struct Network {
  Network() {
    server = bench::OpenDemoNetwork(dir.path());
    sys = lnssim::openFirstSystem(*server, "Demo");
    lnssim::RlxDevice d;
    d.subsystemId = lnssim::rowIdOf(sys.system->Subsystems()->Item("Routers").get());
    d.name = QStringLiteral("PB-Bench");
    d.family = lnssim::RlxFamily::Explicit;
    lnssim::addRlxDevice(*server, sys, d);
    device = sys.system->Subsystems()->Item("Routers")->AppDevices()->Item("PB-Bench");
    bench::FillPhonebook(*server, *server->runtimeContext().device(lnssim::rowIdOf(device)));
    MMain.ObjectServer = server;
    MMain.CurrentNetwork = sys.network;
    MMain.CurrentSystem = sys.system;
    MMain.ExplicitFamily = 1;
    link.Connect(device);
  }
  phonebook::MessageSender send() {
    return [this](const QString& request) { return link.Send(request); };
  }
  // Drops the phonebook records, as on a device seen for the first time.
  void forgetRecords() { server->database().exec("DELETE FROM ext_records WHERE name LIKE 'ZevExplicit%'"); }

  QTemporaryDir dir;
  std::shared_ptr<lnssim::SimObjectServer> server;
  lnssim::OpenedSystem sys;
  lns::AppDevicePtr device;
  CZEV_ActiveXCtrl control;
  window_support::DeviceLink link{&control};
};

Network& network() {
  static Network n;
  return n;
}

void BM_FirstDownload(benchmark::State& state) {
  Network& n = network();
  for (auto _ : state) {
    state.PauseTiming();
    n.forgetRecords();
    state.ResumeTiming();
    if (phonebook::PhonebookProbeAndDownloadWith(nullptr, n.send(), n.device) != phonebook::ProbeResult::Supported) {
      state.SkipWithError("the phonebook was not downloaded");
      return;
    }
  }
}

void BM_OpenExplicitEditor(benchmark::State& state) {
  Network& n = network();
  phonebook::EnsureExplicitRecords(n.device);
  phonebook::GridRows rows;
  phonebook::ResyncFromDevice(n.device, rows, n.send());
  for (auto _ : state) {
    phonebook::fPhoneBook editor;
    editor.GetDeviceObject(n.device);
    editor.show();
    if (!editor.TextPhonebook->isVisible()) {
      state.SkipWithError("the overlay was not placed");
      return;
    }
  }
}

void BM_ResyncFromDevice(benchmark::State& state) {
  Network& n = network();
  phonebook::EnsureExplicitRecords(n.device);
  for (auto _ : state) {
    phonebook::GridRows rows;
    if (!phonebook::ResyncFromDevice(n.device, rows, n.send())) {
      state.SkipWithError("the resync failed");
      return;
    }
  }
}

void BM_ResyncFromDatabase(benchmark::State& state) {
  Network& n = network();
  phonebook::EnsureExplicitRecords(n.device);
  for (auto _ : state) {
    phonebook::GridRows rows;
    if (!phonebook::ResyncFromDatabase(n.device, rows, n.send())) {
      state.SkipWithError("the resync failed");
      return;
    }
  }
}

// The first download on a channel like the field's (40 ms per message): the
// plug-in's share of the time (channel_overhead.h).
void BM_FirstDownloadAtFieldLatency(benchmark::State& state) {
  Network& n = network();
  bench::ChannelMeter meter(*n.server);
  meter.add(n.device);
  for (auto _ : state) {
    state.PauseTiming();
    n.forgetRecords();
    state.ResumeTiming();
    meter.start();
    const auto result = phonebook::PhonebookProbeAndDownloadWith(nullptr, n.send(), n.device);
    meter.stop();
    if (result != phonebook::ProbeResult::Supported) {
      state.SkipWithError("the phonebook was not downloaded");
      return;
    }
  }
  meter.report(state);
}

}  // namespace

BENCHMARK(BM_FirstDownload)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenExplicitEditor)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResyncFromDevice)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResyncFromDatabase)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
// Last: it runs the network clock.
BENCHMARK(BM_FirstDownloadAtFieldLatency)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
