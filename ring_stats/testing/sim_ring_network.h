#pragma once
// A simulated network for the ring mode and statistics windows: an LNS
// database (the simulated Object Server, in a temporary folder) with one
// network whose subsystem "Ring" holds RLX devices of both families, the
// devices on the channel behind the data server library that the explicit
// message control loads, and stand-ins for the main windows.
//
// Process-wide state: the network points MMain.CurrentSystem at its system
// and installs its devices in the data server; both are undone when it goes.

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "explicit_control/zev_activex_ctrl.h"
#include "host/lns/lns.h"
#include "lonworks/object_server/object_server.h"
#include "lonworks/object_server/rlx_devices.h"
#include "ring_stats/testing/rlx_endpoint.h"
#include "window_support/device_link.h"
#include "window_support/main_window_link.h"

namespace ring_testing {

class SimRingNetwork {
 public:
  SimRingNetwork();
  ~SimRingNetwork();
  SimRingNetwork(const SimRingNetwork&) = delete;
  SimRingNetwork& operator=(const SimRingNetwork&) = delete;

  lnssim::SimObjectServer& server() { return *server_; }
  lns::SystemPtr system() const { return sys_.system; }
  qint32 dataServer() const { return qint32(sys_.systemId); }
  lns::SubsystemPtr subsystem() const;
  RlxEndpoint& devices() { return *devices_; }

  // Adds an RLX to the subsystem, in the database and on the channel. An
  // empty Neuron ID lets the database choose one.
  lns::AppDevicePtr addRlx(const QString& name, lnssim::RlxFamily family, const QString& neuronId = QString());
  // Adds count RLX devices "<prefix>1" ... in one step.
  QList<lns::AppDevicePtr> addRlxs(int count, lnssim::RlxFamily family, const QString& prefix);
  // A device in the database only: on the channel nobody answers to it.
  lns::AppDevicePtr addAbsentRlx(const QString& name, const QString& neuronId = QString());

  // The device's state on the channel, and changing it.
  RlxState state(const lns::AppDevicePtr& device) const;
  void setState(const lns::AppDevicePtr& device, const RlxState& state);
  void setFault(const lns::AppDevicePtr& device, Fault fault);
  std::vector<std::string> requests(const lns::AppDevicePtr& device) const;
  int requestCount(const lns::AppDevicePtr& device, const std::string& body) const;

  // A ring member for a device of the database.
  static RingMember member(const lns::AppDevicePtr& device, std::uint8_t unitId, bool inRingMode = true);

  void setMgmtMode(qint32 mode);

 private:
  qint64 templateId(lnssim::RlxFamily family) const;

  QTemporaryDir dir_;
  std::unique_ptr<lnssim::SimObjectServer> server_;
  lnssim::OpenedSystem sys_;
  qint64 subsystemId_ = 0;
  qint64 lonMarkTemplate_ = 0;
  qint64 explicitTemplate_ = 0;
  std::shared_ptr<RlxEndpoint> devices_ = std::make_shared<RlxEndpoint>();
  QByteArray previousLibrary_;
};

// A main window as the ring mode and statistics windows see it: a widget to
// own them, an explicit message control pointed at the device, the modem
// name it shows. Registered as its family's main window while it lives.
class StubMainWindow : public window_support::MainWindowLink {
 public:
  StubMainWindow(bool explicitFamily, lns::AppDevicePtr device, QString modemName = QString());
  ~StubMainWindow() override;
  StubMainWindow(const StubMainWindow&) = delete;
  StubMainWindow& operator=(const StubMainWindow&) = delete;

  QWidget* window() override { return widget_.get(); }
  window_support::DeviceLink& link() override { return link_; }
  lns::AppDevicePtr device() override { return device_; }
  QString modemName() override { return modemName_; }
  void refillPhoneList() override {}
  void unload() override;

  void setModemName(const QString& name) { modemName_ = name; }
  CZEV_ActiveXCtrl& control() { return control_; }
  int unloads() const { return unloads_; }

 private:
  bool explicitFamily_;
  std::unique_ptr<QWidget> widget_;
  CZEV_ActiveXCtrl control_;
  window_support::DeviceLink link_{&control_};
  lns::AppDevicePtr device_;
  QString modemName_;
  int unloads_ = 0;
};

}  // namespace ring_testing
