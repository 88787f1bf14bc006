#include "sim_ring_network.h"

#include "explicit_control/data_server_link.h"
#include "host/mmain.h"
#include "lonworks/data_server/lcadatsv.h"

namespace ring_testing {

namespace {

QString xifPath(lnssim::RlxFamily family) {
  return QStringLiteral(RING_TESTING_XIF_DIR "/") + lnssim::rlxTemplateName(family) + QStringLiteral(".xif");
}

}  // namespace

SimRingNetwork::SimRingNetwork() {
  previousLibrary_ = qgetenv(zev::kDataServerPathVariable);
  qputenv(zev::kDataServerPathVariable, RING_TESTING_LCADATSV);

  lnssim::ServerOptions options;
  options.databasePath = dir_.path() + QStringLiteral("/Database/lns.db");
  options.createIfMissing = true;
  server_ = std::make_unique<lnssim::SimObjectServer>(options);
  server_->Open();
  server_->createNetwork(QStringLiteral("Ring"));
  sys_ = lnssim::openFirstSystem(*server_, QStringLiteral("Ring"));
  subsystemId_ = server_->createSubsystem(sys_.systemId, QStringLiteral("Ring"));
  for (lnssim::RlxFamily family : {lnssim::RlxFamily::LonMark, lnssim::RlxFamily::Explicit}) {
    auto tpl = sys_.system->DeviceTemplates()->Add(lnssim::rlxTemplateName(family), 1);
    tpl->ImportXif(xifPath(family));
    (family == lnssim::RlxFamily::LonMark ? lonMarkTemplate_ : explicitTemplate_) = lnssim::rowIdOf(tpl);
  }

  lcadatsv::InstallEndpoint(devices_);
  MMain.CurrentSystem = sys_.system;
}

SimRingNetwork::~SimRingNetwork() {
  lcadatsv::WaitIdle();
  lcadatsv::InstallEndpoint(nullptr);
  if (MMain.CurrentSystem == sys_.system)
    MMain.CurrentSystem.reset();
  if (previousLibrary_.isNull())
    qunsetenv(zev::kDataServerPathVariable);
  else
    qputenv(zev::kDataServerPathVariable, previousLibrary_);
}

lns::SubsystemPtr SimRingNetwork::subsystem() const { return sys_.system->Subsystems()->Item(QStringLiteral("Ring")); }

qint64 SimRingNetwork::templateId(lnssim::RlxFamily family) const {
  return family == lnssim::RlxFamily::LonMark ? lonMarkTemplate_ : explicitTemplate_;
}

QList<lns::AppDevicePtr> SimRingNetwork::addRlxs(int count, lnssim::RlxFamily family, const QString& prefix) {
  QList<lnssim::NewDevice> news;
  for (int i = 1; i <= count; ++i) {
    lnssim::NewDevice d;
    d.subsystemId = subsystemId_;
    d.name = prefix + QString::number(i);
    d.programId = lnssim::rlxProgramId(family);
    d.templateId = templateId(family);
    news << d;
  }
  server_->createDevices(news);
  QList<lns::AppDevicePtr> added;
  const auto all = subsystem()->AppDevices();
  for (const lnssim::NewDevice& d : news) {
    lns::AppDevicePtr device = all->Item(d.name);
    RlxState state;
    state.neuronId = NeuronIdFromText(device->NeuronId());
    devices_->addDevice(dataServer(), device->Handle(), state);
    added << device;
  }
  return added;
}

lns::AppDevicePtr SimRingNetwork::addRlx(const QString& name, lnssim::RlxFamily family, const QString& neuronId) {
  lnssim::NewDevice d;
  d.subsystemId = subsystemId_;
  d.name = name;
  d.programId = lnssim::rlxProgramId(family);
  d.neuronId = neuronId;
  d.templateId = templateId(family);
  server_->createDevice(d);
  lns::AppDevicePtr device = subsystem()->AppDevices()->Item(name);
  RlxState state;
  state.neuronId = NeuronIdFromText(device->NeuronId());
  devices_->addDevice(dataServer(), device->Handle(), state);
  return device;
}

lns::AppDevicePtr SimRingNetwork::addAbsentRlx(const QString& name, const QString& neuronId) {
  lnssim::NewDevice d;
  d.subsystemId = subsystemId_;
  d.name = name;
  d.programId = lnssim::rlxProgramId(lnssim::RlxFamily::Explicit);
  d.neuronId = neuronId;
  d.templateId = explicitTemplate_;
  server_->createDevice(d);
  return subsystem()->AppDevices()->Item(name);
}

RlxState SimRingNetwork::state(const lns::AppDevicePtr& device) const {
  return devices_->state(dataServer(), device->Handle());
}

void SimRingNetwork::setState(const lns::AppDevicePtr& device, const RlxState& state) {
  devices_->setState(dataServer(), device->Handle(), state);
}

void SimRingNetwork::setFault(const lns::AppDevicePtr& device, Fault fault) {
  devices_->setFault(dataServer(), device->Handle(), fault);
}

std::vector<std::string> SimRingNetwork::requests(const lns::AppDevicePtr& device) const {
  lcadatsv::WaitIdle();
  return devices_->requests(dataServer(), device->Handle());
}

int SimRingNetwork::requestCount(const lns::AppDevicePtr& device, const std::string& body) const {
  lcadatsv::WaitIdle();
  return devices_->requestCount(dataServer(), device->Handle(), body);
}

RingMember SimRingNetwork::member(const lns::AppDevicePtr& device, std::uint8_t unitId, bool inRingMode) {
  return RingMember{NeuronIdFromText(device->NeuronId()), unitId, inRingMode};
}

void SimRingNetwork::setMgmtMode(qint32 mode) { server_->setMgmtMode(sys_.systemId, mode); }

StubMainWindow::StubMainWindow(bool explicitFamily, lns::AppDevicePtr device, QString modemName)
    : explicitFamily_(explicitFamily),
      widget_(std::make_unique<QWidget>()),
      device_(std::move(device)),
      modemName_(std::move(modemName)) {
  widget_->setObjectName(explicitFamily ? QStringLiteral("fMainExplicit") : QStringLiteral("fMain"));
  if (device_)
    link_.Connect(device_);
  window_support::SetMainWindowLink(explicitFamily_, this);
}

StubMainWindow::~StubMainWindow() {
  if (window_support::MainWindowOf(explicitFamily_) == this)
    window_support::SetMainWindowLink(explicitFamily_, nullptr);
  // The windows it owns go with its widget.
  widget_.reset();
}

void StubMainWindow::unload() {
  ++unloads_;
  widget_->hide();
}

}  // namespace ring_testing
