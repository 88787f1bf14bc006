// Messages to the simulated RLX routers: reading the whole explicit phonebook
// (64 entries) through the explicit message control, the data server and the
// simulator, as the explicit window's first download does; one MsgResponse
// round trip; and the parts of it, the data server's endpoint and the device
// model alone.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "bench/bench_network.h"
#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "explicit_control/zev_activex_ctrl.h"
#include "lonworks/object_server/lnsdb_rlx_commands.h"
#include "lonworks/object_server/rlx_devices.h"
#include "lonworks/rlx_device/request_text.h"
#include "lonworks/rlx_device/rlx_endpoint.h"
#include "lonworks/rlx_device/rlx_runtime.h"
#include "lonworks/rlx_device/rlx_store.h"
#include "platform/registry.h"

namespace {

namespace dp = device_protocol;

// The demo network in a LonWorks tree of its own, with 64 phonebook entries
// on the explicit router.
struct Network {
  Network() {
    server = bench::OpenDemoNetwork(dir.path());
    lnsdb::ensureRlxDemo(*server);
    sys = lnssim::openFirstSystem(*server, "Demo");
    device = sys.system->Subsystems()->Item("Routers")->AppDevices()->Item("RLX-Explicit");
    identity = *server->runtimeContext().device(lnssim::rowIdOf(device));
    bench::FillPhonebook(*server, identity);
  }
  QTemporaryDir dir;
  std::shared_ptr<lnssim::SimObjectServer> server;
  lnssim::OpenedSystem sys;
  lns::AppDevicePtr device;
  lnssim::DeviceIdentity identity;
};

Network& network() {
  static Network n;
  return n;
}

void BM_ReadExplicitPhonebook(benchmark::State& state) {
  Network& n = network();
  CZEV_ActiveXCtrl ctrl;
  ctrl.SetstrNodeName(QStringLiteral("# %1").arg(n.device->Handle()));
  const qint32 ds = n.sys.system->DataServerHandle();
  QStringList requests;
  for (int i = 0; i < rlxsim::kPhonebookEntries; ++i)
    requests << dp::ReadEntry(i);
  for (auto _ : state) {
    for (int i = 0; i < rlxsim::kPhonebookEntries; ++i) {
      ctrl.SetstrExplicitMessage(requests[i]);
      const QString reply = ctrl.MsgResponse(ds);
      if (dp::PhonebookNumberFromReply(reply).isEmpty()) {
        state.SkipWithError("an entry did not come back");
        return;
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * rlxsim::kPhonebookEntries);
}

void BM_MsgResponseRoundTrip(benchmark::State& state) {
  Network& n = network();
  CZEV_ActiveXCtrl ctrl;
  ctrl.SetstrNodeName(QStringLiteral("# %1").arg(n.device->Handle()));
  ctrl.SetstrExplicitMessage(dp::ModemStatus(dp::ModemSelector::Internal));
  const qint32 ds = n.sys.system->DataServerHandle();
  for (auto _ : state) {
    const QString reply = ctrl.MsgResponse(ds);
    if (!dp::ModemIsReady(reply)) {
      state.SkipWithError("the modem status did not come back");
      return;
    }
  }
}

// What the data server's thread spends per message in the simulator.
void BM_EndpointRequest(benchmark::State& state) {
  Network& n = network();
  rlxsim::RlxEndpoint endpoint;
  lcadatsv::DeviceRequest r;
  r.dataServer = n.sys.system->DataServerHandle();
  r.deviceHandle = n.device->Handle();
  r.deviceName = "# " + std::to_string(r.deviceHandle);
  r.text = "01 53 00";
  r.data = {1, 53, 0};
  for (auto _ : state) {
    endpoint.checkDevice(r.dataServer, r.deviceName, r.deviceHandle);
    benchmark::DoNotOptimize(endpoint.request(r));
  }
}

// The device model alone, on a state in memory.
void BM_ModelHandle(benchmark::State& state) {
  rlxsim::DeviceState s = rlxsim::defaultState(rlxsim::Family::Explicit);
  const rlxsim::Bytes body = rlxsim::parseRequest(dp::ReadEntry(12))->body;
  s.phonebook[12] = QStringLiteral("9,5551234");
  const rlxsim::DeviceContext ctx;
  qint64 now = 1'700'000'000'000;
  for (auto _ : state)
    benchmark::DoNotOptimize(rlxsim::handleExplicit(s, ctx, body, ++now));
}

}  // namespace

BENCHMARK(BM_ReadExplicitPhonebook)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MsgResponseRoundTrip)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EndpointRequest)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ModelHandle)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
