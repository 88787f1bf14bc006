#include "sim_network.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <map>
#include <mutex>

#include "host/attach.h"
#include "host/ldrf.h"
#include "host/mmain.h"
#include "host/object_server_binding.h"
#include "lonworks/data_server/device_endpoint.h"
#include "lonworks/data_server/lcadatsv.h"
#include "lonworks/device_resources/ldrf_standin.h"
#include "lonworks/object_server/rlx_devices.h"
#include "lonworks/object_server/sim_database.h"
#include "lonworks/rlx_device/network_clock.h"
#include "lonworks/rlx_device/rlx_endpoint.h"
#include "lonworks/rlx_device/rlx_runtime.h"
#include "lonworks/rlx_device/rlx_store.h"
#include "platform/registry.h"

namespace testing_support {

// --- the completion wait ----------------------------------------------------

namespace {
qint64 steadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

SimCompletionWait::SimCompletionWait() = default;

qint64 SimCompletionWait::Clock::nowMs() const { return steadyMs() + skipped.load(); }

qint64 SimCompletionWait::Clock::epochMs() const {
  return platform::SystemClock::instance().epochMs() + skipped.load();
}

void SimCompletionWait::waitAtMost(quint32 ms) {
  if (silence_.exchange(false)) {
    clock_.skipped += ms;
    ++silences_;
    return;
  }
  // Short slices, so a silence reported meanwhile is seen at once.
  zev::SystemCompletionWait::instance().waitAtMost(qMin<quint32>(ms, 5));
}

// --- the endpoint -------------------------------------------------------------

// The simulator's endpoint with scripted answers in front of it, recording
// every request.
class ScriptedEndpoint : public lcadatsv::DeviceEndpoint {
 public:
  struct Script {
    lcadatsv::DeviceAnswer::Kind kind;
    std::vector<std::uint8_t> bytes;
  };

  ScriptedEndpoint(std::shared_ptr<lcadatsv::DeviceEndpoint> inner, SimCompletionWait* wait)
      : inner_(std::move(inner)), wait_(wait) {}

  lcadatsv::DeviceStatus checkDevice(std::int32_t dataServer, const std::string& deviceName,
                                     std::int32_t deviceHandle) override {
    return inner_->checkDevice(dataServer, deviceName, deviceHandle);
  }
  lcadatsv::DeviceStatus reset(std::int32_t dataServer) override { return inner_->reset(dataServer); }

  lcadatsv::DeviceAnswer request(const lcadatsv::DeviceRequest& request) override {
    const QString text = rlxsim::requestLogText(request.messageCode, request.text);
    std::optional<Script> script;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      sent_[request.deviceHandle] << text;
      const auto it = scripts_.find({request.deviceHandle, text});
      if (it != scripts_.end())
        script = it->second;
    }
    lcadatsv::DeviceAnswer answer =
        script ? lcadatsv::DeviceAnswer{script->kind, script->bytes} : inner_->request(request);
    // Only a request that waits for its reply waits out a silent device; the
    // data server completes a no-response request at once, and a silence left
    // behind by one would cut short the next call's wait.
    if (answer.kind == lcadatsv::DeviceAnswer::Kind::NoAnswer && request.service == lcadatsv::Service::WithResponse)
      wait_->signalSilence();
    return answer;
  }

  void setScript(std::int32_t handle, const QString& request, Script script) {
    const std::lock_guard<std::mutex> lock(mutex_);
    scripts_[{handle, request}] = std::move(script);
  }
  void clearScripts() {
    const std::lock_guard<std::mutex> lock(mutex_);
    scripts_.clear();
  }
  QStringList sent(std::int32_t handle) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto it = sent_.find(handle);
    return it == sent_.end() ? QStringList() : it->second;
  }
  void clearSent() {
    const std::lock_guard<std::mutex> lock(mutex_);
    sent_.clear();
  }

 private:
  std::shared_ptr<lcadatsv::DeviceEndpoint> inner_;
  SimCompletionWait* wait_;
  mutable std::mutex mutex_;
  std::map<std::pair<std::int32_t, QString>, Script> scripts_;
  std::map<std::int32_t, QStringList> sent_;
};

// --- the network ----------------------------------------------------------------

namespace {

lonworks::LdrfStandInFactory& resourceComponents() {
  static lonworks::LdrfStandInFactory factory;
  return factory;
}

void copyInto(const QString& from, const QString& folder) {
  QDir().mkpath(folder);
  const QString to = folder + u'/' + QFileInfo(from).fileName();
  QFile::remove(to);
  if (!QFile::copy(from, to))
    throw std::runtime_error(("cannot copy " + from + " to " + to).toStdString());
}

std::vector<std::uint8_t> replyBytes(const QString& reply) {
  std::vector<std::uint8_t> bytes;
  for (const QString& v : reply.split(u'\t', Qt::SkipEmptyParts))
    bytes.push_back(static_cast<std::uint8_t>(v.toInt()));
  return bytes;
}

}  // namespace

SimNetwork::SimNetwork() : dir_(std::make_unique<QTemporaryDir>()) {
  // A registry of its own, naming a LonWorks tree of its own.
  previousRegistryRoot_ = qgetenv("RLX_REGISTRY_ROOT");
  qputenv("RLX_REGISTRY_ROOT", (dir_->path() + QStringLiteral("/registry")).toUtf8());
  QDir().mkpath(scratch());
  lonWorks_ = dir_->path() + QStringLiteral("/LonWorks");
  for (const char* sub : {"Import", "Types", "bin", "Database"})
    QDir().mkpath(lonWorks_ + u'/' + QLatin1String(sub));
  platform::Registry::setValue(platform::Hive::LocalMachine, QStringLiteral("SOFTWARE\\LonWorks"),
                               QStringLiteral("LonWorks Path"), lonWorks_);
  const QString sourceOverride = qEnvironmentVariable("RLX_SOURCE_DIR");
  const QString source =
      (sourceOverride.isEmpty() ? QStringLiteral(RLX_SOURCE_DIR_PATH) : sourceOverride) + QStringLiteral("/resources");
  for (const char* f : {"Rlxtlc32.xif", "Rlxtlc20.xif"})
    copyInto(source + QStringLiteral("/xif/") + QLatin1String(f), lonWorks_ + QStringLiteral("/Import"));
  for (const char* f : {"Zev.enu", "Zev.fmt", "Zev.fpt", "Zev.typ"})
    copyInto(source + QStringLiteral("/Resource/") + QLatin1String(f), lonWorks_ + QStringLiteral("/Types/user/ZEV"));
  ldrf::setFactory(&resourceComponents());

  lnssim::ServerOptions options;
  options.createIfMissing = true;
  server_ = std::make_shared<lnssim::SimObjectServer>(options, rlxsim::makeRlxRuntime());
  server_->Open();
  lnssim::ensureDemoNetwork(*server_);
  rlxsim::ensureSchema(server_->database());
  rlxsim::freezeNetworkClock(server_->database(), platform::SystemClock::instance());
  server_->Close();

  // The plug-in's state as a director's first object and its networkName leave it.
  MMain = MMainState{};
  auto server = server_;
  SetObjectServerFactory([server] { return server; });
  attach::BuildPlugInCommandTable();
  MMain.ObjectServer = server_;
  attach::OpenNetwork(QString::fromLatin1(kNetworkName), QString());

  const QString database = lonWorks_ + QStringLiteral("/Database/lns.db");
  endpoint_ = std::make_shared<ScriptedEndpoint>(
      std::make_shared<rlxsim::RlxEndpoint>(platform::SystemClock::instance(), [database] { return database; }),
      &wait_);
  lcadatsv::InstallEndpoint(endpoint_);
  previousDataServer_ = qgetenv("RLX_LCADATSV");
  qputenv("RLX_LCADATSV", RLX_LCADATSV_PATH);
}

SimNetwork::~SimNetwork() {
  lcadatsv::WaitIdle();
  lcadatsv::InstallEndpoint(nullptr);
  if (previousDataServer_.isNull())
    qunsetenv("RLX_LCADATSV");
  else
    qputenv("RLX_LCADATSV", previousDataServer_);
  try {
    if (server_->IsOpen())
      server_->Close();
  } catch (const lns::LnsError&) {
  }
  server_->setUpdateHandler(nullptr);
  MMain = MMainState{};
  SetObjectServerFactory(nullptr);
  if (previousRegistryRoot_.isNull())
    qunsetenv("RLX_REGISTRY_ROOT");
  else
    qputenv("RLX_REGISTRY_ROOT", previousRegistryRoot_);
}

QString SimNetwork::scratch() const { return dir_->path() + QStringLiteral("/scratch"); }

lns::AppDevicePtr SimNetwork::device(const QString& name) const {
  return MMain.CurrentSystem->Subsystems()->Item(QString::fromLatin1(kSubsystem))->AppDevices()->Item(name);
}

lns::LonMarkObjectPtr SimNetwork::lonMarkObject(const QString& name) const {
  return lonMarkDevice()->Interface()->LonMarkObjects()->Item(name);
}

lns::AppDevicePtr SimNetwork::addDevice(const QString& name, bool explicitFamily, const QString& firmware) {
  lnssim::OpenedSystem sys;
  sys.network = MMain.CurrentNetwork;
  sys.system = MMain.CurrentSystem;
  sys.systemId = lnssim::rowIdOf(MMain.CurrentSystem.get());
  lnssim::RlxDevice d;
  d.subsystemId = lnssim::rowIdOf(MMain.CurrentSystem->Subsystems()->Item(QString::fromLatin1(kSubsystem)).get());
  d.name = name;
  d.family = explicitFamily ? lnssim::RlxFamily::Explicit : lnssim::RlxFamily::LonMark;
  d.firmware = firmware;
  lnssim::addRlxDevice(*server_, sys, d);
  return device(name);
}

qint64 SimNetwork::rowOf(const lns::AppDevicePtr& device) const { return lnssim::rowIdOf(device.get()); }

rlxsim::DeviceState SimNetwork::state(const lns::AppDevicePtr& device) {
  lnssim::RuntimeContext& ctx = server_->runtimeContext();
  const auto identity = ctx.device(rowOf(device));
  if (!identity)
    throw std::runtime_error("no such device");
  return rlxsim::peekState(ctx, *identity, rlxsim::networkNow(ctx.database(), ctx.clock()));
}

void SimNetwork::change(const lns::AppDevicePtr& device, const std::function<void(rlxsim::DeviceState&)>& change) {
  lnssim::RuntimeContext& ctx = server_->runtimeContext();
  const auto identity = ctx.device(rowOf(device));
  if (!identity)
    throw std::runtime_error("no such device");
  rlxsim::DeviceSession session(ctx, *identity);
  change(session.state());
  session.commit();
}

void SimNetwork::setFault(const lns::AppDevicePtr& device, rlxsim::Fault fault) {
  change(device, [fault](rlxsim::DeviceState& s) { s.fault = fault; });
}

void SimNetwork::setModem(const lns::AppDevicePtr& device, int modem, rlxsim::Presence presence) {
  change(device, [modem, presence](rlxsim::DeviceState& s) { s.modems.at(modem).presence = presence; });
}

void SimNetwork::setOffNet(bool offNet) {
  server_->setMgmtMode(lnssim::rowIdOf(MMain.CurrentSystem.get()), offNet ? 1 : 0);
}

void SimNetwork::scriptReply(const lns::AppDevicePtr& device, const QString& request, const QString& reply) {
  endpoint_->setScript(device->Handle(), request, {lcadatsv::DeviceAnswer::Kind::Reply, replyBytes(reply)});
}

void SimNetwork::scriptFailure(const lns::AppDevicePtr& device, const QString& request) {
  endpoint_->setScript(device->Handle(), request, {lcadatsv::DeviceAnswer::Kind::Failure, {}});
}

void SimNetwork::scriptSilence(const lns::AppDevicePtr& device, const QString& request) {
  endpoint_->setScript(device->Handle(), request, {lcadatsv::DeviceAnswer::Kind::NoAnswer, {}});
}

void SimNetwork::clearScripts() { endpoint_->clearScripts(); }

QStringList SimNetwork::sent(const lns::AppDevicePtr& device) const { return endpoint_->sent(device->Handle()); }

void SimNetwork::clearSent() { endpoint_->clearSent(); }

QStringList SimNetwork::traffic(const lns::AppDevicePtr& device) {
  QStringList lines;
  for (const rlxsim::TrafficEntry& e : rlxsim::traffic(server_->database(), rowOf(device)))
    lines << e.text;
  return lines;
}

qint64 SimNetwork::now() { return rlxsim::networkNow(server_->database(), platform::SystemClock::instance()); }

void SimNetwork::advance(qint64 ms, bool raiseUpdates) {
  rlxsim::advanceNetworkClock(server_->database(), platform::SystemClock::instance(), ms);
  if (raiseUpdates)
    server_->pollUpdates();
}

}  // namespace testing_support
