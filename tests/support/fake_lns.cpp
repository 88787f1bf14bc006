#include "fake_lns.h"

namespace testing_support {

namespace {
[[noreturn]] void Missing(const QString& what) {
  throw lns::LnsError(lns::kErrNotFound, QStringLiteral("Not in the fake: ") + what);
}
}  // namespace

void FakeLog::hit(const QString& call) {
  if (muted > 0)
    return;
  calls << call;
  if (failing.contains(call))
    throw lns::LnsError(lns::kErrDatabase, QStringLiteral("Injected failure: ") + call);
}

QString FakeLonMarkObject::Name() {
  log_->hit(QStringLiteral("LonMarkObject(") + name_ + QStringLiteral(").Name"));
  return name_;
}
lns::AppDevicePtr FakeLonMarkObject::Device() { return device.lock(); }
std::shared_ptr<lns::ConfigProperties> FakeLonMarkObject::ConfigProperties() {
  // The directories hold the dial strings; no other object has a property here.
  auto properties = std::make_shared<FakeCollection<lns::ConfigProperty, lns::ConfigProperties>>(
      log_, QStringLiteral("ConfigProperties(") + name_ + u')');
  if (name_.startsWith(QLatin1String("Directory")))
    properties->items << std::make_shared<FakeConfigProperty>(QStringLiteral("UCPT_DialString"));
  return properties;
}
std::shared_ptr<lns::NetworkVariables> FakeLonMarkObject::NetworkVariables() { Missing(QStringLiteral("NVs")); }
lns::ComponentAppsPtr FakeLonMarkObject::ComponentApps() { Missing(QStringLiteral("componentApps")); }

FakeInterface::FakeInterface(FakeLogPtr log, const QString& device)
    : objects(std::make_shared<FakeCollection<lns::LonMarkObject, lns::LonMarkObjects>>(
          std::move(log), QStringLiteral("LonMarkObjects(") + device + u')')) {}
std::shared_ptr<lns::NetworkVariables> FakeInterface::NetworkVariables() { Missing(QStringLiteral("NVs")); }

FakeDevice::FakeDevice(FakeLogPtr log, QString name, QString programId, qint32 handle)
    : interface_(std::make_shared<FakeInterface>(log, name)),
      log_(std::move(log)),
      name_(std::move(name)),
      programId_(std::move(programId)),
      handle_(handle) {}
QString FakeDevice::ProgramId() {
  log_->hit(QStringLiteral("Device(") + name_ + QStringLiteral(").ProgramId"));
  return programId_;
}
std::shared_ptr<lns::ExtensionRecords> FakeDevice::Extensions() { Missing(QStringLiteral("extension records")); }

FakeSubsystem::FakeSubsystem(FakeLogPtr log, QString name)
    : devices(std::make_shared<FakeCollection<lns::AppDevice>>(std::move(log),
                                                               QStringLiteral("AppDevices(") + name + u')')),
      name_(std::move(name)) {}

FakeSystem::FakeSystem(FakeLogPtr log, QString name)
    : subsystems(std::make_shared<FakeCollection<lns::Subsystem>>(log, QStringLiteral("Subsystems(") + name + u')')),
      log_(std::move(log)),
      name_(std::move(name)) {}
void FakeSystem::Open() {
  log_->hit(QStringLiteral("System(") + name_ + QStringLiteral(").Open"));
  open = true;
}
void FakeSystem::SetEventInterval(qint32 ms) {
  log_->hit(QStringLiteral("System(") + name_ + QStringLiteral(").SetEventInterval(") + QString::number(ms) + u')');
}
bool FakeSystem::IsOpen() {
  log_->hit(QStringLiteral("System(") + name_ + QStringLiteral(").IsOpen"));
  return open;
}
void FakeSystem::Close() {
  log_->hit(QStringLiteral("System(") + name_ + QStringLiteral(").Close"));
  open = false;
}
lns::DeviceTemplatesPtr FakeSystem::DeviceTemplates() { Missing(QStringLiteral("templates")); }
lns::ComponentAppsPtr FakeSystem::ComponentApps() { Missing(QStringLiteral("componentApps")); }

FakeNetwork::FakeNetwork(FakeLogPtr log, QString name)
    : systems(std::make_shared<FakeCollection<lns::System>>(log, QStringLiteral("Systems(") + name + u')')),
      log_(std::move(log)),
      name_(std::move(name)) {}
void FakeNetwork::Open() {
  log_->hit(QStringLiteral("Network(") + name_ + QStringLiteral(").Open"));
  open = true;
}
QString FakeNetwork::Name() {
  log_->hit(QStringLiteral("Network(") + name_ + QStringLiteral(").Name"));
  return name_;
}
bool FakeNetwork::IsOpen() {
  log_->hit(QStringLiteral("Network(") + name_ + QStringLiteral(").IsOpen"));
  return open;
}
void FakeNetwork::Close() {
  log_->hit(QStringLiteral("Network(") + name_ + QStringLiteral(").Close"));
  open = false;
}

FakeServer::FakeServer(FakeLogPtr log)
    : interfaces(std::make_shared<FakeCollection<lns::NetworkInterface>>(log, QStringLiteral("NetworkInterfaces"))),
      networks(std::make_shared<FakeCollection<lns::Network>>(log, QStringLiteral("Networks"))),
      log_(std::move(log)) {}
bool FakeServer::remoteFlag() {
  log_->hit(QStringLiteral("Server.remoteFlag"));
  return remote;
}
void FakeServer::setRemoteFlag(bool value) {
  log_->hit(QStringLiteral("Server.setRemoteFlag(") + (value ? u'1' : u'0') + u')');
  remote = value;
}
bool FakeServer::IsOpen() {
  log_->hit(QStringLiteral("Server.IsOpen"));
  return open;
}
void FakeServer::Open() {
  log_->hit(QStringLiteral("Server.Open"));
  open = true;
}
void FakeServer::Close() {
  log_->hit(QStringLiteral("Server.Close"));
  open = false;
}
void FakeServer::setSingleUserMode(bool single) {
  log_->hit(QStringLiteral("Server.setSingleUserMode(") + (single ? u'1' : u'0') + u')');
  singleUser = single;
}
void FakeServer::setActiveRemoteNI(lns::NetworkInterfacePtr ni) {
  log_->hit(QStringLiteral("Server.setActiveRemoteNI(") + (ni ? ni->Name() : QString()) + u')');
  activeNI = std::move(ni);
}
lns::ComponentAppsPtr FakeServer::componentApps() { Missing(QStringLiteral("componentApps")); }

FakeLns::FakeLns() : log(std::make_shared<FakeLog>()), server(std::make_shared<FakeServer>(log)) {}

std::shared_ptr<FakeNetwork> FakeLns::addNetwork(const QString& name) {
  auto network = std::make_shared<FakeNetwork>(log, name);
  network->systems->items << std::make_shared<FakeSystem>(log, name);
  server->networks->items << network;
  return network;
}

std::shared_ptr<FakeSubsystem> FakeLns::addSubsystem(const std::shared_ptr<FakeNetwork>& network, const QString& name) {
  auto subsystem = std::make_shared<FakeSubsystem>(log, name);
  std::static_pointer_cast<FakeSystem>(network->systems->items.first())->subsystems->items << subsystem;
  return subsystem;
}

std::shared_ptr<FakeDevice> FakeLns::addDevice(const std::shared_ptr<FakeSubsystem>& subsystem, const QString& name,
                                               const QString& programId, const QStringList& objectNames) {
  auto device =
      std::make_shared<FakeDevice>(log, name, programId, static_cast<qint32>(subsystem->devices->items.size()) + 1);
  device->subsystem = subsystem;
  qint32 index = 0;
  for (const QString& objectName : objectNames) {
    auto object = std::make_shared<FakeLonMarkObject>(log, objectName, index++);
    object->device = device;
    device->interface_->objects->items << object;
  }
  subsystem->devices->items << device;
  return device;
}

void FakeLns::addInterface(const QString& name) {
  server->interfaces->items << std::make_shared<FakeNetworkInterface>(name);
}

QStringList FakeLns::LonMarkObjectNames() {
  return {QStringLiteral("Node Object"),       QStringLiteral("Internal Modem"), QStringLiteral("External Modem #1"),
          QStringLiteral("External Modem #2"), QStringLiteral("Directory #1"),   QStringLiteral("Directory #2"),
          QStringLiteral("Device Globals")};
}

FakeLns FakeLns::Demo() {
  FakeLns lns;
  auto demo = lns.addNetwork(QStringLiteral("Demo"));
  auto routers = lns.addSubsystem(demo, QStringLiteral("Routers"));
  lns.addDevice(routers, QStringLiteral("RLX-LonMark"), QStringLiteral("800060325B080932"), LonMarkObjectNames());
  lns.addDevice(routers, QStringLiteral("RLX-Explicit"), QStringLiteral("524C580000000000"),
                {QStringLiteral("Node Object")});
  return lns;
}

}  // namespace testing_support
