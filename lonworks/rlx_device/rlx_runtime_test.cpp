// The device model behind the simulated Object Server: variables and
// properties of the LonMark family, the update event, Test(), faults, the
// state shared by every connection to the database, the network clock, the
// traffic log and the ring around a device.

#include "lonworks/rlx_device/rlx_runtime.h"

#include <gtest/gtest.h>

#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "lonworks/object_server/test_network.h"
#include "lonworks/rlx_device/network_clock.h"
#include "lonworks/rlx_device/request_text.h"
#include "lonworks/rlx_device/rlx_store.h"

namespace rlxsim {
namespace {

namespace dp = device_protocol;
using lnssim::testing::errorOf;

struct RuntimeTest : ::testing::Test {
  void SetUp() override {
    server = tree.openServer(makeRlxRuntime(), &clock);
    demo = std::make_unique<lnssim::testing::DemoNetwork>(*server);
    ensureSchema(server->database());
  }
  lns::NetworkVariablePtr nv(const QString& object, const QString& name) {
    return demo->object(object)->NetworkVariables()->Item(name);
  }
  lns::ConfigPropertyPtr cp(const QString& object, const QString& name) {
    return demo->object(object)->ConfigProperties()->Item(name);
  }
  lnssim::DeviceIdentity identity(const lns::AppDevicePtr& d) {
    return *server->runtimeContext().device(lnssim::rowIdOf(d));
  }
  // An explicit message as the data server delivers it.
  QString send(const lns::AppDevicePtr& d, const QString& request) {
    DeviceSession session(server->runtimeContext(), identity(d));
    const ExplicitAnswer a =
        handleExplicit(session.state(), session.context(), parseRequest(request)->body, session.now());
    session.commit();
    if (a.silent)
      return QStringLiteral("Message Timeout");
    QStringList v;
    for (auto b : a.reply)
      v << QString::number(b);
    return v.join(u'\t');
  }
  template <class F>
  void change(const lns::AppDevicePtr& d, F&& f) {
    DeviceSession session(server->runtimeContext(), identity(d));
    f(session.state(), session.now());
    session.commit();
  }
  QStringList trafficTexts(const lns::AppDevicePtr& d) {
    QStringList out;
    for (const TrafficEntry& e : traffic(server->database(), lnssim::rowIdOf(d)))
      out << e.outcome + u'|' + e.object + u'|' + e.text;
    return out;
  }

  lnssim::testing::LonWorksTree tree;
  platform::ManualClock clock;
  std::unique_ptr<lnssim::SimObjectServer> server;
  std::unique_ptr<lnssim::testing::DemoNetwork> demo;
};

TEST_F(RuntimeTest, StatusVariablesChangeAsTheCallGoes) {
  auto status = nv("Internal Modem", "nvoCnctStat1");
  auto text = nv("Internal Modem", "nvoCnctStr1");
  EXPECT_EQ(status->Value(), "TEL_NOTINUSE");
  nv("Internal Modem", "nviDialStr1")->SetValue("5551234");
  EXPECT_EQ(nv("Internal Modem", "nviDialStr1")->Value(), "5551234");
  EXPECT_EQ(status->Value(), "TEL_OFFHOOK");
  EXPECT_EQ(text->Value(), "Dialing 5551234");
  clock.advance(2000);
  EXPECT_EQ(status->Value(), "TEL_DIALCOMP");
  clock.advance(2000);
  EXPECT_EQ(status->Value(), "TEL_TALKING");
  EXPECT_EQ(text->Value(), "Connect 9600 V.32 V.42/V.42bis");
  nv("Internal Modem", "nviCallCancel1")->SetValue("1 1");
  EXPECT_EQ(status->Value(), "TEL_HANGINGUP");
  clock.advance(1000);
  EXPECT_EQ(status->Value(), "TEL_NOTINUSE");
  // The same device answers explicit messages about the same call.
  const auto stats = dp::SplitReplyText(send(demo->lonMark, dp::ReadModemStatistics(dp::ModemSelector::Internal)));
  EXPECT_EQ(stats[3], "3");
  EXPECT_EQ(stats[6], "1");
  EXPECT_EQ(stats[13], "1");
}

TEST_F(RuntimeTest, TheUpdateEventSeesTheCallProgressWithoutAnyRead) {
  QStringList seen;
  server->setUpdateHandler([&](qint32 code, const QString& value, lns::ObjectPtr object) {
    auto variable = std::dynamic_pointer_cast<lns::NetworkVariable>(object);
    ASSERT_TRUE(variable);
    if (variable->Name() == QLatin1String("nvoCnctStat2"))
      seen << QString::number(code) + u' ' + value;
  });
  demo->sys.system->SetEventInterval(200);
  server->pollUpdates();
  nv("External Modem #1", "nviDialStr2")->SetValue("1");
  server->pollUpdates();
  for (int i = 0; i < 10; ++i) {
    clock.advance(500);
    server->pollUpdates();
  }
  EXPECT_EQ(seen, QStringList({"1 TEL_OFFHOOK", "1 TEL_DIALING", "1 TEL_DIALCOMP", "1 TEL_TALKING"}));
}

TEST_F(RuntimeTest, EveryConnectionToTheDatabaseSeesTheSameDevice) {
  auto other = tree.openServer(makeRlxRuntime(), &clock);
  lnssim::testing::DemoNetwork view(*other);
  view.object("External Modem #2")->NetworkVariables()->Item("nviDialStrEx2")->SetValue("42");
  clock.advance(4000);
  EXPECT_EQ(nv("External Modem #2", "nvoCnctStatEx2")->Value(), "TEL_TALKING");
  cp("Directory #1", "UCPT_DialString")->SetElement(7, "0800");
  EXPECT_EQ(view.object("Directory #1")->ConfigProperties()->Item("UCPT_DialString")->Element(7), "0800");
  EXPECT_EQ(dp::PhonebookNumberFromReply(send(view.lonMark, dp::ReadEntry(7))), "0800");
}

TEST_F(RuntimeTest, ARebootTakesTheDeviceAwayForTestAndWrites) {
  change(demo->lonMark, [](DeviceState& s, qint64) { s.rebootMs = 3000; });
  EXPECT_NO_THROW(demo->lonMark->Test());
  send(demo->lonMark, dp::SoftReboot());
  // The LonMark window's wait: "1 1" to nvoProductName fails, Test() fails, until the device is back.
  errorOf([&] { demo->lonMark->Interface()->NetworkVariables()->Item("nvoProductName")->SetValue("1 1"); },
          lns::kErrDeviceNoResponse);
  const QString why = errorOf([&] { demo->lonMark->Test(); }, lns::kErrDeviceNoResponse);
  EXPECT_TRUE(why.contains("restarting")) << why.toStdString();
  errorOf([&] { nv("Internal Modem", "nvoCnctStat1")->Value(); }, lns::kErrDeviceNoResponse);
  clock.advance(3000);
  EXPECT_NO_THROW(demo->lonMark->Test());
  EXPECT_EQ(demo->lonMark->Interface()->NetworkVariables()->Item("nvoProductName")->Value(), "RLX-LonMark 3.20");
  EXPECT_EQ(trafficTexts(demo->lonMark).first(), "no answer|Node Object|nvoProductName=1 1");
}

TEST_F(RuntimeTest, ASilentDeviceFailsReadsAndWritesAndLogsThem) {
  change(demo->lonMark, [](DeviceState& s, qint64) { s.fault = Fault::NoAnswer; });
  errorOf([&] { nv("Internal Modem", "nvoCnctStat1")->Value(); }, lns::kErrDeviceNoResponse);
  errorOf([&] { cp("Internal Modem", "UCPT_DialMode")->Value(); }, lns::kErrDeviceNoResponse);
  errorOf([&] { nv("Internal Modem", "nviDialStr1")->SetValue("1"); }, lns::kErrDeviceNoResponse);
  errorOf([&] { demo->lonMark->Test(); }, lns::kErrDeviceNoResponse);
  EXPECT_EQ(trafficTexts(demo->lonMark), QStringList{"no answer|Internal Modem|nviDialStr1=1"});
  change(demo->lonMark, [](DeviceState& s, qint64) { s.fault = Fault::None; });
  EXPECT_EQ(nv("Internal Modem", "nvoCnctStat1")->Value(), "TEL_NOTINUSE");  // the write never arrived
}

TEST_F(RuntimeTest, RefusedValuesAreLoggedAndNotKept) {
  auto mode = cp("External Modem #1", "UCPT_DialMode");
  errorOf([&] { mode->SetValue("SOMETIMES"); }, lns::kErrInvalidValue);
  EXPECT_EQ(mode->Value(), "MANUAL,0,0,0,0,0,0,0,0,0,0");
  mode->SetValue("DOD,2,5,60,3,0,0,0,0,0,0");
  cp("Directory #1", "UCPT_DialString")->SetElement(3, "9,555");
  EXPECT_EQ(trafficTexts(demo->lonMark), QStringList({"refused|External Modem #1|UCPT_DialMode=SOMETIMES",
                                                      "ok|External Modem #1|UCPT_DialMode=DOD,2,5,60,3,0,0,0,0,0,0",
                                                      "ok|Directory #1|UCPT_DialString[3]=9,555"}));
}

TEST_F(RuntimeTest, ADeviceStartsFromWhatTheDatabaseHeldForIt) {
  // Values written before the simulator was plugged in, and an older firmware.
  auto plain = tree.openServer(nullptr, &clock);
  const lnssim::OpenedSystem sys = lnssim::openFirstSystem(*plain, "Demo");
  lnssim::RlxDevice d;
  d.subsystemId = lnssim::rowIdOf(demo->routers);
  d.name = "Old";
  d.firmware = "3.10";
  lnssim::addRlxDevice(*plain, sys, d);
  auto old = sys.system->Subsystems()->Item("Routers")->AppDevices()->Item("Old");
  auto objects = old->Interface()->LonMarkObjects();
  objects->Item("Directory #1")->ConfigProperties()->Item("UCPT_DialString")->SetElement(2, "9,555");
  objects->Item("Device Globals")->ConfigProperties()->Item("UCPT_RingMode")->SetValue("Enable,3,2000,10000");
  objects->Item("External Modem #1")->ConfigProperties()->Item("UCPT_AAnswer")->SetValue("0.0 0");

  auto mine = demo->routers->AppDevices()->Item("Old");
  EXPECT_EQ(dp::PhonebookNumberFromReply(send(mine, dp::ReadEntry(2))), "9,555");
  EXPECT_EQ(dp::FirmwareTextFromReply(send(mine, dp::PresenceProbe())), "RLX-LonMark 3.10");
  EXPECT_EQ(dp::SplitReplyText(send(mine, dp::ReadRingMode())).list().mid(4, 2), QStringList({"1", "3"}));
  const DeviceState s = peekState(server->runtimeContext(), identity(mine), clock.epochMs());
  EXPECT_FALSE(s.modems[1].autoAnswer);
  EXPECT_TRUE(s.modems[0].autoAnswer);
}

TEST_F(RuntimeTest, TheNetworkClockCanBeFrozenAdvancedAndRun) {
  lnssim::SimDatabase& db = server->database();
  ensureSchema(db);
  const qint64 start = networkNow(db, clock);
  EXPECT_EQ(start, clock.epochMs());
  freezeNetworkClock(db, clock);
  clock.advance(10'000);
  EXPECT_EQ(networkNow(db, clock), start);
  nv("Internal Modem", "nviDialStr1")->SetValue("1");
  clock.advance(60'000);
  EXPECT_EQ(nv("Internal Modem", "nvoCnctStat1")->Value(), "TEL_OFFHOOK");  // frozen: the call waits
  advanceNetworkClock(db, clock, 4000);
  EXPECT_EQ(networkNow(db, clock), start + 4000);
  EXPECT_EQ(nv("Internal Modem", "nvoCnctStat1")->Value(), "TEL_TALKING");
  runNetworkClock(db, clock);
  EXPECT_FALSE(readNetworkClock(db, clock).frozen);
  clock.advance(500);
  EXPECT_EQ(networkNow(db, clock), start + 4500);
  advanceNetworkClock(db, clock, 1000);  // a running clock moves by an offset
  EXPECT_EQ(networkNow(db, clock), start + 5500);
}

// Frozen network time is charged with each access's latency; a lost access
// finds the router silent, and a lost write is logged as such.
TEST_F(RuntimeTest, VariableAndPropertyAccessesCrossTheChannel) {
  lnssim::SimDatabase& db = server->database();
  freezeNetworkClock(db, clock);
  change(demo->lonMark, [](DeviceState& s, qint64) { s.channel.latencyMs = 40; });
  const qint64 start = networkNow(db, clock);
  EXPECT_EQ(nv("Internal Modem", "nvoCnctStat1")->Value(), "TEL_NOTINUSE");
  nv("Internal Modem", "nviDialStr1")->SetValue("5551234");
  cp("Directory #1", "UCPT_DialString")->Element(0);
  demo->lonMark->Test();
  EXPECT_EQ(networkNow(db, clock), start + 4 * 40);

  change(demo->lonMark, [](DeviceState& s, qint64) { s.channel.lossPercent = 100; });
  errorOf([&] { nv("Internal Modem", "nvoCnctStat1")->Value(); }, lns::kErrDeviceNoResponse);
  errorOf([&] { nv("Internal Modem", "nviCallCancel1")->SetValue("1 1"); }, lns::kErrDeviceNoResponse);
  errorOf([&] { demo->lonMark->Test(); }, lns::kErrDeviceNoResponse);
  EXPECT_EQ(trafficTexts(demo->lonMark).last(), "lost|Internal Modem|nviCallCancel1=1 1");
  EXPECT_EQ(networkNow(db, clock), start + 4 * 40);  // nothing came back: no time taken
}

TEST_F(RuntimeTest, TheTrafficLogKeepsTheLast2000Requests) {
  const auto id = identity(demo->explicitDevice);
  {
    lnssim::SimDatabase::Transaction tx(server->database());
    DeviceSession session(server->runtimeContext(), id);
    for (int i = 0; i < kTrafficLogLimit + 5; ++i)
      session.log(QString(), "ok", QString::number(i));
    session.commit();
    tx.commit();
  }
  const auto log = traffic(server->database(), id.rowId);
  ASSERT_EQ(log.size(), kTrafficLogLimit);
  EXPECT_EQ(log.first().text, "5");
  EXPECT_EQ(log.last().text, QString::number(kTrafficLogLimit + 4));
  clearTraffic(server->database(), id.rowId);
  EXPECT_TRUE(traffic(server->database(), id.rowId).isEmpty());
}

TEST_F(RuntimeTest, TheRingHoldsTheRoutersThatAnswerInRingModeAndThePhantoms) {
  const auto subsystem = lnssim::rowIdOf(demo->routers);
  lnssim::RlxDevice d;
  d.subsystemId = subsystem;
  d.family = lnssim::RlxFamily::Explicit;
  for (const char* name : {"R3", "R4", "Silent", "Off"}) {
    d.name = name;
    lnssim::addRlxDevice(*server, demo->sys, d);
  }
  auto devices = demo->routers->AppDevices();
  int unit = 1;
  for (const char* name : {"RLX-Explicit", "RLX-LonMark", "R3", "R4", "Silent"})
    change(devices->Item(name), [&](DeviceState& s, qint64) { s.ring = RingMode{true, unit++, 2000, 10000}; });
  change(devices->Item("Silent"), [](DeviceState& s, qint64) { s.fault = Fault::NoAnswer; });
  // A device that is not an RLX is no member either.
  lnssim::NewDevice other;
  other.subsystemId = subsystem;
  other.name = "Meter";
  other.programId = "9000010000000000";
  server->createDevice(other);
  RingConfig config;
  config.closed = false;
  config.endA = devices->Item("R3")->NeuronId();
  config.endB = "0A0B0C0D0E0F";
  config.phantoms << RingMember{9, "0A0B0C0D0E0F", 0};
  writeRingConfig(server->database(), subsystem, config);

  const RingView view = buildRingView(server->runtimeContext(), subsystem, clock.epochMs());
  QStringList members;
  for (const RingMember& m : view.members)
    members << QString::number(m.unit) + u'=' + m.neuronId;
  EXPECT_EQ(members, QStringList({"1=" + demo->explicitDevice->NeuronId(), "2=" + demo->lonMark->NeuronId(),
                                  "3=" + devices->Item("R3")->NeuronId(), "4=" + devices->Item("R4")->NeuronId(),
                                  "9=0A0B0C0D0E0F"}));
  EXPECT_FALSE(view.closed);
  EXPECT_EQ(view.endA, 3);
  EXPECT_EQ(view.endB, 9);

  // The walk through the ring from the explicit router, as the data server asks it.
  send(demo->explicitDevice, dp::RingStatusStart());
  const auto first = dp::SplitReplyText(send(demo->explicitDevice, dp::RingStatusPoll()));
  EXPECT_EQ(first[4], "1");
  QStringList units;
  for (int i = 0; i < 6; ++i)
    units << dp::SplitReplyText(send(demo->explicitDevice, dp::RingStatusNext()))[4];
  EXPECT_EQ(units, QStringList({"2", "3", "4", "9", "255", "255"}));
}

TEST_F(RuntimeTest, DevicesThatAreNotRoutersKeepTheirStoredValues) {
  lnssim::NewDevice other;
  other.subsystemId = lnssim::rowIdOf(demo->routers);
  other.name = "Meter";
  other.programId = "9000010000000000";
  server->createDevice(other);
  auto meter = demo->routers->AppDevices()->Item("Meter");
  EXPECT_NO_THROW(meter->Test());
  errorOf([&] { DeviceSession(server->runtimeContext(), identity(meter)); }, lns::kErrInvalidValue);
}

}  // namespace
}  // namespace rlxsim
