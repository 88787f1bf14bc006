// The data server's view of the RLX routers: which points may open, what a
// reset clears, what each request answers, and what the traffic log keeps.

#include "lonworks/rlx_device/rlx_endpoint.h"

#include <gtest/gtest.h>

#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "lonworks/object_server/test_network.h"
#include "lonworks/rlx_device/request_text.h"
#include "lonworks/rlx_device/rlx_runtime.h"
#include "lonworks/rlx_device/rlx_store.h"

namespace rlxsim {
namespace {

namespace dp = device_protocol;
using lcadatsv::DeviceAnswer;
using lcadatsv::DeviceStatus;

struct EndpointTest : ::testing::Test {
  void SetUp() override {
    server = tree.openServer(makeRlxRuntime(), &clock);
    demo = std::make_unique<lnssim::testing::DemoNetwork>(*server);
    ensureSchema(server->database());
    ds = demo->sys.system->DataServerHandle();
  }
  lnssim::DeviceIdentity identity(const lns::AppDevicePtr& d) {
    return *server->runtimeContext().device(lnssim::rowIdOf(d));
  }
  template <class F>
  void change(const lns::AppDevicePtr& d, F&& f) {
    DeviceSession session(server->runtimeContext(), identity(d));
    f(session.state());
    session.commit();
  }
  DeviceAnswer request(const lns::AppDevicePtr& d, const QString& text, std::int32_t code = 0,
                       lcadatsv::Service service = lcadatsv::Service::WithResponse) {
    const auto r = parseRequest(text);
    lcadatsv::DeviceRequest q;
    q.dataServer = ds;
    q.deviceHandle = d->Handle();
    q.deviceName = nodeName(d->Handle());
    q.messageCode = code;
    q.service = service;
    q.text = text.mid(3).toStdString();
    q.data.assign(r->body.begin(), r->body.end());
    return endpoint.request(q);
  }
  static std::string nodeName(qint32 handle) { return "# " + std::to_string(handle); }
  QString replyOf(const DeviceAnswer& a) {
    EXPECT_EQ(a.kind, DeviceAnswer::Kind::Reply);
    QStringList v;
    for (auto b : a.data)
      v << QString::number(b);
    return v.join(u'\t');
  }
  QStringList log(const lns::AppDevicePtr& d) {
    QStringList out;
    for (const TrafficEntry& e : traffic(server->database(), lnssim::rowIdOf(d)))
      out << e.outcome + u'|' + e.text;
    return out;
  }

  lnssim::testing::LonWorksTree tree;
  platform::ManualClock clock;
  std::unique_ptr<lnssim::SimObjectServer> server;
  std::unique_ptr<lnssim::testing::DemoNetwork> demo;
  RlxEndpoint endpoint{clock};  // on the database the registry names
  std::int32_t ds = 0;
};

TEST_F(EndpointTest, FindsSystemsAndDevicesByTheirHandles) {
  const qint32 handle = demo->explicitDevice->Handle();
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(handle), handle), DeviceStatus::Ok);
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(999), 999), DeviceStatus::UnknownDevice);
  EXPECT_EQ(endpoint.checkDevice(ds + 100, nodeName(handle), handle), DeviceStatus::UnknownDataServer);
  EXPECT_EQ(endpoint.reset(ds + 100), DeviceStatus::UnknownDataServer);
  EXPECT_EQ(dp::FirmwareTextFromReply(replyOf(request(demo->explicitDevice, dp::PresenceProbe()))),
            "RLX Explicit 2.10");
  EXPECT_EQ(dp::FirmwareTextFromReply(replyOf(request(demo->lonMark, dp::PresenceProbe()))), "RLX-LonMark 3.20");
}

TEST_F(EndpointTest, FaultsShowWhereTheDataServerLooks) {
  const qint32 handle = demo->explicitDevice->Handle();
  change(demo->explicitDevice, [](DeviceState& s) { s.fault = Fault::Failure; });
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(handle), handle), DeviceStatus::Failure);
  EXPECT_EQ(request(demo->explicitDevice, dp::PresenceProbe()).kind, DeviceAnswer::Kind::Failure);

  change(demo->explicitDevice, [](DeviceState& s) { s.fault = Fault::ResetOnce; });
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(handle), handle), DeviceStatus::ResetFirst);
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(handle), handle), DeviceStatus::ResetFirst);  // until reset
  EXPECT_EQ(endpoint.reset(ds), DeviceStatus::Ok);
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(handle), handle), DeviceStatus::Ok);
  EXPECT_EQ(peekState(server->runtimeContext(), identity(demo->explicitDevice), 0).fault, Fault::None);

  change(demo->explicitDevice, [](DeviceState& s) { s.fault = Fault::NoAnswer; });
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(handle), handle), DeviceStatus::Ok);  // points open; nothing answers
  EXPECT_EQ(request(demo->explicitDevice, dp::PresenceProbe()).kind, DeviceAnswer::Kind::NoAnswer);
}

TEST_F(EndpointTest, LogsEveryRequestThatReachedTheDeviceAsThePlugInWroteIt) {
  request(demo->explicitDevice, "00 01 61 02 01");
  request(demo->explicitDevice, "05 01 14 00", 5);
  change(demo->explicitDevice, [](DeviceState& s) { s.fault = Fault::Failure; });
  request(demo->explicitDevice, dp::PresenceProbe());  // refused by the data server: never arrived
  change(demo->explicitDevice, [](DeviceState& s) { s.fault = Fault::None; });
  request(demo->explicitDevice, dp::PresenceProbe());  // restarting after the reboot
  EXPECT_EQ(log(demo->explicitDevice), QStringList({"ok|00 01 61 02 01", "ok|05 01 14 00", "no answer|00 01 48 00"}));
  EXPECT_EQ(requestLogText(0, "01\t48  00"), "00 01 48  00");
}

// A hang-up sent while another program holds the database's write lock
// cannot reach the router; the traffic log says so once the database can
// be written again, before what came after it.
TEST_F(EndpointTest, AMessageKeptOutByALockedDatabaseIsLoggedAsNotDelivered) {
  const QString hangUp = dp::HangUp(dp::ModemSelector::Internal);
  endpoint.setDeliveryWait(20);
  {
    lnssim::SimDatabase other(tree.databasePath());
    other.exec("BEGIN EXCLUSIVE");
    EXPECT_EQ(request(demo->explicitDevice, hangUp, 0, lcadatsv::Service::NoResponse).kind,
              DeviceAnswer::Kind::Failure);
    other.exec("ROLLBACK");
  }
  replyOf(request(demo->explicitDevice, dp::PresenceProbe()));
  EXPECT_EQ(log(demo->explicitDevice), QStringList({"not delivered|" + hangUp, "ok|00 01 48 00"}));

  // With no message after it, the endpoint's end logs it.
  clearTraffic(server->database(), std::nullopt);
  {
    RlxEndpoint shortLived(clock);
    shortLived.setDeliveryWait(20);
    lnssim::SimDatabase other(tree.databasePath());
    other.exec("BEGIN EXCLUSIVE");
    lcadatsv::DeviceRequest q;
    q.dataServer = ds;
    q.deviceHandle = demo->explicitDevice->Handle();
    q.text = hangUp.mid(3).toStdString();
    EXPECT_EQ(shortLived.request(q).kind, DeviceAnswer::Kind::Failure);
    other.exec("ROLLBACK");
  }
  EXPECT_EQ(log(demo->explicitDevice), QStringList({"not delivered|" + hangUp}));
}

TEST_F(EndpointTest, AnswersTheWholeCommandSetOfEitherFamily) {
  // A phonebook round trip and a call, as the explicit window does them.
  replyOf(request(demo->lonMark, dp::StoreEntry(9, "5551234")));
  EXPECT_EQ(dp::PhonebookNumberFromReply(replyOf(request(demo->lonMark, dp::ReadEntry(9)))), "5551234");
  replyOf(request(demo->lonMark, dp::DialNumber(dp::ModemSelector::External1, "5551234")));
  clock.advance(4000);
  EXPECT_EQ(dp::SplitReplyText(replyOf(request(demo->lonMark, dp::ModemStatus(dp::ModemSelector::External1))))[3], "9");
  // The LonMark view of the same call.
  EXPECT_EQ(demo->object("External Modem #1")->NetworkVariables()->Item("nvoCnctStat2")->Value(), "TEL_TALKING");
  EXPECT_EQ(demo->object("Directory #1")->ConfigProperties()->Item("UCPT_DialString")->Element(9), "5551234");
}

TEST_F(EndpointTest, DevicesThatAreNotRoutersStaySilent) {
  lnssim::NewDevice other;
  other.subsystemId = lnssim::rowIdOf(demo->routers);
  other.name = "Meter";
  other.programId = "9000010000000000";
  server->createDevice(other);
  auto meter = demo->routers->AppDevices()->Item("Meter");
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(meter->Handle()), meter->Handle()), DeviceStatus::Ok);
  EXPECT_EQ(request(meter, dp::PresenceProbe()).kind, DeviceAnswer::Kind::NoAnswer);
}

TEST_F(EndpointTest, FollowsTheRegistryToAnotherTree) {
  endpoint.setRegistryCheckInterval(0);
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(1), demo->lonMark->Handle()), DeviceStatus::Ok);
  server.reset();
  demo.reset();
  const QString other = tree.env.makeLonWorksTree("Elsewhere");
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(1), 1), DeviceStatus::Failure);  // no database there
  QDir().mkpath(other + "/Database");
  QFile::copy(tree.databasePath(), other + "/Database/lns.db");
  EXPECT_EQ(endpoint.checkDevice(ds, nodeName(1), 1), DeviceStatus::Ok);
}

}  // namespace
}  // namespace rlxsim
