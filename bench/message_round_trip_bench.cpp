// Explicit messages through the control and the data server library, with
// devices that answer at once or not at all.
//
//   BM_MsgResponse     one MsgResponse round trip to a device that answers at
//                      once; median_us and p99_us are per call (target: a
//                      median under 100 microseconds).
//   BM_SilentDevice    one MsgResponse to a device that never answers: the
//                      control waits its full bound. wall_ms should be 3000
//                      +-50 and cpu_percent (process CPU time over wall time)
//                      under 5.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "explicit_control/data_server_link.h"
#include "explicit_control/zev_activex_ctrl.h"
#include "lonworks/data_server/device_endpoint.h"
#include "lonworks/data_server/lcadatsv.h"
#include "lonworks/data_server/testing/fake_device_endpoint.h"

namespace {

using lcadatsv_testing::FakeDeviceEndpoint;

constexpr qint32 kDs = 1;

// Points the control at the data server library this program is linked with,
// so that the devices installed here are the ones it talks to.
void useLinkedDataServer() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&lcadatsv::WaitIdle), &info) && info.dli_fname)
    setenv(zev::kDataServerPathVariable, info.dli_fname, 1);
}

std::shared_ptr<FakeDeviceEndpoint> installDevice(FakeDeviceEndpoint::Fault fault) {
  auto devices = std::make_shared<FakeDeviceEndpoint>();
  devices->addDevice(kDs, 17, {0, 1, 97, 2, 1});
  devices->setFault(kDs, 17, fault);
  lcadatsv::InstallEndpoint(devices);
  return devices;
}

double processCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void BM_MsgResponse(benchmark::State& state) {
  useLinkedDataServer();
  const auto devices = installDevice(FakeDeviceEndpoint::Fault::None);
  CZEV_ActiveXCtrl ctrl;
  ctrl.SetstrNodeName(QStringLiteral("# 17"));
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 61 02 01"));
  const QString expected = QStringLiteral("0\t1\t97\t2\t1");

  std::vector<double> us;
  us.reserve(1 << 16);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const QString reply = ctrl.MsgResponse(kDs);
    us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    if (reply != expected) {
      state.SkipWithError("the device's reply did not come back");
      break;
    }
  }
  lcadatsv::WaitIdle();
  lcadatsv::InstallEndpoint(nullptr);
  if (us.empty())
    return;
  std::sort(us.begin(), us.end());
  state.counters["median_us"] = us[us.size() / 2];
  state.counters["p99_us"] = us[us.size() * 99 / 100];
}
BENCHMARK(BM_MsgResponse)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_SilentDevice(benchmark::State& state) {
  useLinkedDataServer();
  const auto devices = installDevice(FakeDeviceEndpoint::Fault::Silent);
  CZEV_ActiveXCtrl ctrl;
  ctrl.SetstrNodeName(QStringLiteral("# 17"));
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 19 00"));

  double wallMs = 0, cpuMs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processCpuMs();
    const QString reply = ctrl.MsgResponse(kDs);
    cpuMs += processCpuMs() - cpuStart;
    wallMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (reply != QLatin1String("Message Timeout")) {
      state.SkipWithError("a silent device did not leave \"Message Timeout\"");
      break;
    }
  }
  lcadatsv::WaitIdle();
  lcadatsv::InstallEndpoint(nullptr);
  const double n = static_cast<double>(state.iterations());
  if (n > 0 && wallMs > 0) {
    state.counters["wall_ms"] = wallMs / n;
    state.counters["cpu_ms"] = cpuMs / n;
    state.counters["cpu_percent"] = 100.0 * cpuMs / wallMs;
  }
}
BENCHMARK(BM_SilentDevice)->UseRealTime()->MeasureProcessCPUTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
