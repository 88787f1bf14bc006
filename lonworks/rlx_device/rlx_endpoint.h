#pragma once
// The RLX routers behind the LCA data server. The endpoint opens the network
// database of the LonWorks tree the registry names ("Database/lns.db" under
// the LonWorks path), finds the system by its row (the data-server handle) and the
// device by the handle in its data-server name ("# 17"), and lets the device
// model answer. Faults set with lnsdb show here: a failing device cannot have
// points opened, a "reset first" device asks for ResetDataServer once, a
// silent or restarting device leaves the message unanswered.
//
// Every request that reaches a device is added to its traffic log as the
// request text the plug-in wrote ("00 01 48 00": the message code in two
// digits, then the body).

#include <QString>
#include <functional>
#include <memory>

#include "lonworks/data_server/device_endpoint.h"
#include "lonworks/object_server/device_runtime.h"
#include "lonworks/object_server/sim_database.h"
#include "platform/clock.h"

namespace rlxsim {

class RlxEndpoint : public lcadatsv::DeviceEndpoint {
 public:
  // databasePath answers the file to use now; by default the registry's.
  explicit RlxEndpoint(const platform::Clock& clock = platform::SystemClock::instance(),
                       std::function<QString()> databasePath = {});
  ~RlxEndpoint() override;

  lcadatsv::DeviceStatus checkDevice(std::int32_t dataServer, const std::string& deviceName,
                                     std::int32_t deviceHandle) override;
  lcadatsv::DeviceStatus reset(std::int32_t dataServer) override;
  lcadatsv::DeviceAnswer request(const lcadatsv::DeviceRequest& request) override;

  // How long the registry's answer (which database to use) is trusted before
  // the registry file is looked at again; 0 looks at it on every call. A
  // message makes four calls in a row, and looking costs as much as answering.
  void setRegistryCheckInterval(qint64 ms) { registryCheckIntervalMs_ = ms; }

 private:
  lnssim::RuntimeContext& context();
  bool systemExists(std::int32_t dataServer);
  lcadatsv::DeviceStatus checkDeviceNow(std::int32_t dataServer, const std::string& deviceName,
                                        std::int32_t deviceHandle);
  std::optional<lnssim::DeviceIdentity> findDevice(std::int32_t dataServer, std::int32_t handle);

  const platform::Clock& clock_;
  std::function<QString()> databasePath_;
  QString openPath_;
  QString registryKey_;  // the registry file as it was when openPath_ was found
  QString checkedHive_;
  qint64 hiveCheckedAt_ = 0;
  qint64 registryCheckIntervalMs_ = 100;
  // The database's change stamp: another connection's commit or one of ours
  // moves it. Answers that depend only on stored data stay valid while it holds.
  std::pair<qint64, qint64> changeStamp();

  std::unique_ptr<lnssim::SimDatabase> db_;
  std::unique_ptr<lnssim::DatabaseRuntimeContext> ctx_;

  // The last device check: a message opens three points on the same device in
  // a row, and each open checks it.
  struct CheckMemo {
    std::pair<qint64, qint64> stamp{-1, -1};
    std::int32_t dataServer = 0;
    std::int32_t handle = 0;
    lcadatsv::DeviceStatus status = lcadatsv::DeviceStatus::Ok;
    const lnssim::SimDatabase* db = nullptr;
  } checkMemo_;
};

// The request text as the traffic log shows it: "00 01 48 00".
QString requestLogText(std::int32_t messageCode, const std::string& body);

}  // namespace rlxsim
