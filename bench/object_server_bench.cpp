// Attach on large databases: finding a subsystem, a device and a LonMark
// object by name, as the plug-in does for a director's path, on networks of
// 100 and of 100,000 devices; and creating the 100,000 devices.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <memory>

#include "host/attach.h"
#include "host/mmain.h"
#include "lonworks/object_server/object_server.h"
#include "lonworks/object_server/rlx_devices.h"

namespace {

constexpr int kSubsystems = 100;

struct BenchNetwork {
  QTemporaryDir dir;
  std::unique_ptr<lnssim::SimObjectServer> server;
  lnssim::OpenedSystem sys;
  qint64 templateId = 0;
  QList<qint64> subsystems;
};

// A device interface small enough that 100,000 devices build in seconds: the
// node object and one modem object with a variable and a property.
void writeXif(const QString& path) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(
      "bench\nbench\nbench\n\n80:00:60:32:5B:08:09:32\n*\n"
      "OBJECT 0 \"Node Object\" 0\nOBJECT 1 \"Internal Modem\" 20001\n*\n"
      "VAR nvoCnctStat1 0 1 OUTPUT UNVT_cnct_state\n*\n"
      "CP UCPT_DialMode 1 1 \"MANUAL,0,0,0,0,0,0,0,0,0,0\"\n*\n");
}

std::unique_ptr<BenchNetwork> makeNetwork() {
  auto n = std::make_unique<BenchNetwork>();
  lnssim::ServerOptions o;
  o.databasePath = n->dir.path() + QStringLiteral("/Database/lns.db");
  o.createIfMissing = true;
  n->server = std::make_unique<lnssim::SimObjectServer>(o);
  n->server->Open();
  n->server->createNetwork(QStringLiteral("Bench"));
  n->sys = lnssim::openFirstSystem(*n->server, QStringLiteral("Bench"));
  writeXif(n->dir.path() + QStringLiteral("/bench.xif"));
  auto tpl = n->sys.system->DeviceTemplates()->Add(QStringLiteral("Bench"), 1);
  tpl->ImportXif(n->dir.path() + QStringLiteral("/bench.xif"));
  n->templateId = lnssim::rowIdOf(tpl);
  for (int s = 0; s < kSubsystems; ++s)
    n->subsystems << n->server->createSubsystem(n->sys.systemId, QStringLiteral("Sub-%1").arg(s, 3, 10, QChar(u'0')));
  return n;
}

QString deviceName(int i) { return QStringLiteral("dev-%1").arg(i, 6, 10, QChar(u'0')); }

void addDevices(BenchNetwork& n, int count) {
  QList<lnssim::NewDevice> devices;
  devices.reserve(count);
  for (int i = 0; i < count; ++i) {
    lnssim::NewDevice d;
    d.subsystemId = n.subsystems[i % kSubsystems];
    d.name = deviceName(i);
    d.templateId = n.templateId;
    devices << d;
  }
  n.server->createDevices(devices);
}

BenchNetwork& network(int devices) {
  static std::map<int, std::unique_ptr<BenchNetwork>> built;
  auto& slot = built[devices];
  if (!slot) {
    slot = makeNetwork();
    addDevices(*slot, devices);
  }
  return *slot;
}

// The device in the middle of the network, and its subsystem.
QString middleDevice(int devices) { return deviceName(devices / 2); }
QString middleSubsystem(int devices) {
  return QStringLiteral("Sub-%1").arg((devices / 2) % kSubsystems, 3, 10, QChar(u'0'));
}

void BM_FindSubsystem(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  BenchNetwork& n = network(count);
  const QString name = middleSubsystem(count);
  for (auto _ : state)
    benchmark::DoNotOptimize(n.sys.system->Subsystems()->Item(name));
}

void BM_FindDevice(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  BenchNetwork& n = network(count);
  auto devices = n.sys.system->Subsystems()->Item(middleSubsystem(count))->AppDevices();
  const QString name = middleDevice(count);
  for (auto _ : state)
    benchmark::DoNotOptimize(devices->Item(name));
}

void BM_FindLonMarkObject(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  BenchNetwork& n = network(count);
  auto device = n.sys.system->Subsystems()->Item(middleSubsystem(count))->AppDevices()->Item(middleDevice(count));
  for (auto _ : state)
    benchmark::DoNotOptimize(device->Interface()->LonMarkObjects()->Item(QStringLiteral("Internal Modem")));
}

// The whole attach of a "Subsystem/Device/Object" path, then the status variable.
void BM_AttachPath(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  BenchNetwork& n = network(count);
  const QString sub = middleSubsystem(count), dev = middleDevice(count);
  for (auto _ : state) {
    auto object = n.sys.system->Subsystems()->Item(sub)->AppDevices()->Item(dev)->Interface()->LonMarkObjects()->Item(
        QStringLiteral("Internal Modem"));
    benchmark::DoNotOptimize(object->NetworkVariables()->Item(QStringLiteral("nvoCnctStat1"))->Value());
  }
}

// What the plug-in does for a director's "Configure" on a LonMark object:
// split the path and find subsystem, device and object through its own code.
void BM_PlugInAttach(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  BenchNetwork& n = network(count);
  MMain.CurrentSystem = n.sys.system;
  const QString path =
      middleSubsystem(count) + QStringLiteral("/") + middleDevice(count) + QStringLiteral("/Internal Modem");
  for (auto _ : state) {
    attach::SplitPath(path);
    benchmark::DoNotOptimize(attach::FindObject(28));
  }
  MMain.CurrentSystem.reset();
}

void BM_CreateDevices(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto n = makeNetwork();
    state.ResumeTiming();
    addDevices(*n, count);
    state.PauseTiming();
    n.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}

}  // namespace

BENCHMARK(BM_FindSubsystem)
    ->Arg(100)
    ->Arg(100000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindDevice)
    ->Arg(100)
    ->Arg(100000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindLonMarkObject)
    ->Arg(100)
    ->Arg(100000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AttachPath)
    ->Arg(100)
    ->Arg(100000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlugInAttach)
    ->Arg(100)
    ->Arg(100000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CreateDevices)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
