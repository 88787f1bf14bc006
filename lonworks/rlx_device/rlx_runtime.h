#pragma once
// The RLX routers as the device runtime of the simulated Object Server: the
// LonMark family's network variables and configuration properties are
// answered by the device model, writes reach it, AppDevice::Test() asks it,
// and every poll of the update event lets calls progress. Devices that are
// not RLX routers keep their stored values.
//
// Wiring:
//   RLX_Plug:  SetObjectServerFactory([] { return rlxsim::makeRlxObjectServer(); });
//   lnsdb:     lnsdb::setRuntimeFactory(rlxsim::makeRlxRuntime);
//   tests:     lnssim::SimObjectServer server(options, rlxsim::makeRlxRuntime(), &manualClock);

#include <memory>

#include "lonworks/object_server/device_runtime.h"
#include "lonworks/object_server/object_server.h"

namespace rlxsim {

class RlxRuntime : public lnssim::DeviceRuntime {
 public:
  QString readNv(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& nv) override;
  void writeNv(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& nv, const QString& value) override;
  QString readCp(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& cp) override;
  void writeCp(lnssim::RuntimeContext& ctx, const lnssim::PointAccess& cp, const QString& value) override;
  void test(lnssim::RuntimeContext& ctx, const lnssim::DeviceIdentity& device) override;
  void poll(lnssim::RuntimeContext& ctx) override;
};

std::shared_ptr<lnssim::DeviceRuntime> makeRlxRuntime();
// Makes the RLX routers answer through this Object Server.
void installRlxRuntime(lnssim::SimObjectServer& server);
// An Object Server (on the database the registry names) whose RLX routers answer.
std::shared_ptr<lnssim::SimObjectServer> makeRlxObjectServer();

}  // namespace rlxsim
