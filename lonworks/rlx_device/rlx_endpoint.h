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
// digits, then the body). A message crosses the device's channel first
// (rlx_state.h Channel): a lost one is logged "lost" and left unanswered, a
// delivered one takes its latency (network_clock.h chargeChannelTime).
//
// Another program may hold the database's write lock for as long as it
// likes. A check never waits behind a message: while one is under way it
// uses a connection of its own (so do resets; otherwise it uses the
// deliveries', whose cache holds what the last message changed). Checks and
// resets wait kCheckWaitMs for the database at most, and a check that cannot
// read it answers what it last found for the device. A message waits
// kDefaultDeliveryWaitMs (setDeliveryWait) at most; one that cannot get it
// is not delivered (the data server reports a failure) and is logged
// "not delivered" by the first message that gets the database again, ahead
// of that message's own line, or when the endpoint goes (waiting up to
// kFinalWaitMs; what cannot be logged even then is named on stderr).

#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "lonworks/data_server/device_endpoint.h"
#include "lonworks/object_server/device_runtime.h"
#include "lonworks/object_server/sim_database.h"
#include "platform/clock.h"

namespace rlxsim {

class RlxEndpoint : public lcadatsv::DeviceEndpoint {
 public:
  static constexpr int kCheckWaitMs = 20;
  static constexpr int kDefaultDeliveryWaitMs = 1000;
  // How long the endpoint's end waits to log what was not delivered.
  static constexpr int kFinalWaitMs = 5000;
  // Records of undelivered messages kept for later; older ones beyond are dropped.
  static constexpr int kUndeliveredLimit = 1000;

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
  // How long a message waits for a database another program holds.
  void setDeliveryWait(int ms);

 private:
  // One connection to the database the registry names, with what it found there.
  struct Connection {
    int busyTimeoutMs = 0;
    QString openPath;
    QString registryKey;  // the registry file as it was when openPath was found
    QString checkedHive;
    qint64 hiveCheckedAt = 0;
    std::unique_ptr<lnssim::SimDatabase> db;
    std::unique_ptr<lnssim::DatabaseRuntimeContext> ctx;
  };
  struct Undelivered {
    std::int32_t dataServer = 0;
    std::int32_t deviceHandle = 0;
    qint64 atMs = 0;  // network time it was sent; 0 when that could not be read
    QString text;
  };

  lnssim::RuntimeContext& context(Connection& connection);
  lcadatsv::DeviceStatus checkDeviceNow(lnssim::RuntimeContext& ctx, std::int32_t dataServer, std::int32_t handle);
  // Logs the messages that were not delivered, in a transaction of its own,
  // and forgets them once it is committed.
  void logUndelivered(lnssim::RuntimeContext& ctx);
  void keepUndelivered(const lcadatsv::DeviceRequest& request, const QString& text);

  const platform::Clock& clock_;
  std::function<QString()> databasePath_;
  qint64 registryCheckIntervalMs_ = 100;
  Connection checks_;        // reset, and checks while a message is under way
  Connection deliveries_;    // request, and checks while none is
  std::mutex deliveryLane_;  // deliveries_ and undelivered_
  QList<Undelivered> undelivered_;

  // The last device check: a message opens three points on the same device in
  // a row, and each open checks it. The memo holds while the database's
  // change stamp does (another connection's commit or one of ours moves it).
  struct CheckMemo {
    std::pair<qint64, qint64> stamp{-1, -1};
    std::int32_t dataServer = 0;
    std::int32_t handle = 0;
    lcadatsv::DeviceStatus status = lcadatsv::DeviceStatus::Ok;
    const lnssim::SimDatabase* db = nullptr;
  } checkMemo_;
  // What each device was last found to be, for checks the database kept out.
  std::map<std::pair<std::int32_t, std::int32_t>, lcadatsv::DeviceStatus> lastStatus_;
};

// The request text as the traffic log shows it: "00 01 48 00".
QString requestLogText(std::int32_t messageCode, const std::string& body);

}  // namespace rlxsim
