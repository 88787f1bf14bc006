// The whole way a window's message goes: the explicit message control loads
// the data server library, whose own endpoint finds the device in the
// network database the registry names and lets the simulator answer. Network
// time is frozen in the database and moved by the test, for every process.

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "device_protocol/reply_text.h"
#include "device_protocol/requests.h"
#include "explicit_control/data_server_link.h"
#include "explicit_control/testing/simulated_wait.h"
#include "explicit_control/zev_activex_ctrl.h"
#include "lonworks/data_server/lcadatsv.h"
#include "lonworks/object_server/test_network.h"
#include "lonworks/rlx_device/network_clock.h"
#include "lonworks/rlx_device/rlx_runtime.h"
#include "lonworks/rlx_device/rlx_store.h"

namespace rlxsim {
namespace {

namespace dp = device_protocol;

class ControlToSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv(zev::kDataServerPathVariable, LCADATSV_LIBRARY);
    server = tree.openServer(makeRlxRuntime());
    demo = std::make_unique<lnssim::testing::DemoNetwork>(*server);
    ensureSchema(server->database());
    freezeNetworkClock(server->database(), wall());
    ds = demo->sys.system->DataServerHandle();
  }
  void TearDown() override { qunsetenv(zev::kDataServerPathVariable); }
  static const platform::Clock& wall() { return platform::SystemClock::instance(); }

  QString send(const lns::AppDevicePtr& device, const QString& message) {
    CZEV_ActiveXCtrl ctrl;
    ctrl.SetstrNodeName(QStringLiteral("# %1").arg(device->Handle()));
    ctrl.SetstrExplicitMessage(message);
    return ctrl.MsgResponse(ds);
  }
  // For a device that will not answer: the control's 3 s wait runs on a manual clock.
  QString sendUnanswered(const lns::AppDevicePtr& device, const QString& message) {
    zev_testing::SimulatedWait wait;
    CZEV_ActiveXCtrl ctrl;
    ctrl.SetCompletionWait(&wait);
    ctrl.SetstrNodeName(QStringLiteral("# %1").arg(device->Handle()));
    ctrl.SetstrExplicitMessage(message);
    const QString reply = ctrl.MsgResponse(ds);
    EXPECT_EQ(wait.waited(), 3000);
    lcadatsv::WaitIdle();  // the message has reached the device before the test goes on
    return reply;
  }
  template <class F>
  void change(const lns::AppDevicePtr& d, F&& f) {
    DeviceSession session(server->runtimeContext(), *server->runtimeContext().device(lnssim::rowIdOf(d)));
    f(session.state());
    session.commit();
  }

  lnssim::testing::LonWorksTree tree;
  std::unique_ptr<lnssim::SimObjectServer> server;
  std::unique_ptr<lnssim::testing::DemoNetwork> demo;
  qint32 ds = 0;
};

TEST_F(ControlToSimulator, BothFamiliesAnswerTheProbeWithTheirFirmware) {
  EXPECT_EQ(dp::FirmwareTextFromReply(send(demo->explicitDevice, dp::PresenceProbe())), "RLX Explicit 2.10");
  EXPECT_EQ(dp::FirmwareTextFromReply(send(demo->lonMark, dp::PresenceProbe())), "RLX-LonMark 3.20");
  EXPECT_TRUE(dp::InternalModemFitted(send(demo->lonMark, dp::ReadModemSetting())));
  QStringList texts;
  for (const TrafficEntry& e : traffic(server->database(), lnssim::rowIdOf(demo->lonMark)))
    texts << e.text;
  EXPECT_EQ(texts, QStringList({"00 01 48 00", "00 01 73 02"}));
}

TEST_F(ControlToSimulator, ACallDialledByMessageProgressesWithNetworkTime) {
  const auto s = dp::ModemSelector::External1;
  send(demo->explicitDevice, dp::DialNumber(s, "5551234"));
  EXPECT_EQ(dp::SplitReplyText(send(demo->explicitDevice, dp::ModemStatus(s)))[3], "1");
  advanceNetworkClock(server->database(), wall(), 4000);
  const QString status = send(demo->explicitDevice, dp::ModemStatus(s));
  EXPECT_EQ(dp::SplitReplyText(status)[3], "9");
  EXPECT_TRUE(dp::ModemIsReady(status));
  // The call cancel goes without waiting for a reply.
  CZEV_ActiveXCtrl ctrl;
  ctrl.SetstrNodeName(QStringLiteral("# %1").arg(demo->explicitDevice->Handle()));
  ctrl.SetstrExplicitMessage(dp::HangUp(s));
  EXPECT_EQ(ctrl.MsgNoResponse(ds), 0);
  EXPECT_EQ(dp::SplitReplyText(send(demo->explicitDevice, dp::ModemStatus(s)))[3], "10");
}

TEST_F(ControlToSimulator, PhonebookEntriesGoThereAndBack) {
  ASSERT_FALSE(dp::IsFailureReply(send(demo->explicitDevice, dp::StoreEntry(7, "9,5551234"))));
  EXPECT_EQ(dp::PhonebookNumberFromReply(send(demo->explicitDevice, dp::ReadEntry(7))), "9,5551234");
  // A 30-character entry: its reply is longer than the control's first
  // 100-byte read, and still comes back whole.
  const QString longest(30, u'5');
  send(demo->explicitDevice, dp::StoreEntry(63, longest));
  const QString reply = send(demo->explicitDevice, dp::ReadEntry(63));
  EXPECT_GT(reply.size(), 99);
  EXPECT_EQ(dp::PhonebookNumberFromReply(reply), longest);
}

TEST_F(ControlToSimulator, FaultsSetInTheDatabaseReachTheControl) {
  change(demo->explicitDevice, [](DeviceState& s) { s.fault = Fault::NoAnswer; });
  EXPECT_EQ(sendUnanswered(demo->explicitDevice, dp::PresenceProbe()), "Message Timeout");

  change(demo->explicitDevice, [](DeviceState& s) { s.fault = Fault::Failure; });
  EXPECT_EQ(send(demo->explicitDevice, dp::PresenceProbe()), "Message Failed");

  // The control resets the data server when asked to and carries on.
  change(demo->explicitDevice, [](DeviceState& s) { s.fault = Fault::ResetOnce; });
  EXPECT_FALSE(dp::IsFailureReply(send(demo->explicitDevice, dp::PresenceProbe())));
  EXPECT_EQ(
      peekState(server->runtimeContext(), *server->runtimeContext().device(lnssim::rowIdOf(demo->explicitDevice)), 0)
          .fault,
      Fault::None);
}

TEST_F(ControlToSimulator, ARebootedDeviceIsAwayUntilNetworkTimeBringsItBack) {
  send(demo->explicitDevice, dp::SoftReboot());
  EXPECT_EQ(sendUnanswered(demo->explicitDevice, dp::AutoAnswerOn(dp::ModemSelector::Internal)), "Message Timeout");
  advanceNetworkClock(server->database(), wall(), 5000);
  EXPECT_FALSE(dp::IsFailureReply(send(demo->explicitDevice, dp::AutoAnswerOn(dp::ModemSelector::Internal))));
}

// The channel set with lnsdb set-rlx latency: frozen network time is charged
// with it (nothing waits); running, the round trip really takes it.
TEST_F(ControlToSimulator, AMessageTakesTheChannelsLatency) {
  change(demo->explicitDevice, [](DeviceState& s) { s.channel.latencyMs = 20; });
  const qint64 start = networkNow(server->database(), wall());
  EXPECT_FALSE(dp::IsFailureReply(send(demo->explicitDevice, dp::PresenceProbe())));
  EXPECT_EQ(networkNow(server->database(), wall()), start + 20);

  runNetworkClock(server->database(), wall());
  QElapsedTimer roundTrip;
  roundTrip.start();
  EXPECT_FALSE(dp::IsFailureReply(send(demo->explicitDevice, dp::PresenceProbe())));
  EXPECT_GE(roundTrip.nsecsElapsed(), 20'000'000);
}

// A lost message leaves the control waiting out its bound, as a silent
// router does; a channel that loses nothing delivers every message.
TEST_F(ControlToSimulator, ALostMessageTimesOutAndNoneIsLostWithoutLoss) {
  change(demo->explicitDevice, [](DeviceState& s) { s.channel.lossPercent = 100; });
  EXPECT_EQ(sendUnanswered(demo->explicitDevice, dp::PresenceProbe()), "Message Timeout");
  change(demo->explicitDevice, [](DeviceState& s) {
    s.channel.lossPercent = 0;
    s.channel.latencyMs = 1;
  });
  for (int i = 0; i < 20; ++i)
    ASSERT_FALSE(dp::IsFailureReply(send(demo->explicitDevice, dp::PresenceProbe()))) << i;
  QStringList outcomes;
  for (const TrafficEntry& e : traffic(server->database(), lnssim::rowIdOf(demo->explicitDevice)))
    outcomes << e.outcome;
  EXPECT_EQ(outcomes, QStringList{"lost"} + QStringList(20, "ok"));
}

// The control's 3 s wait, of which only the first 50 ms pass in real time
// (long enough for the data server to take the message up; a completion ends
// it as usual); the rest passes at once on a manual clock.
class ShortenedWait : public zev::CompletionWait {
 public:
  const platform::Clock& clock() const override { return clock_; }
  void waitAtMost(quint32 ms) override {
    if (realLeftMs_ <= 0) {
      clock_.advance(ms);
      return;
    }
    QElapsedTimer real;
    real.start();
    zev::SystemCompletionWait::instance().waitAtMost(quint32(qMin<qint64>(ms, realLeftMs_)));
    realLeftMs_ -= real.elapsed();
    clock_.advance(real.elapsed());
  }

 private:
  platform::ManualClock clock_;
  qint64 realLeftMs_ = 50;
};

// Another program holds the database's write lock, so the simulator cannot
// get at the router. The control's own wait still bounds every call: no step
// of the data server waits for the locked database or for a message stuck
// behind it.
TEST_F(ControlToSimulator, ALockedDatabaseHoldsNoCallBeyondTheControlsWait) {
  lnssim::SimDatabase other(tree.databasePath());
  other.exec("BEGIN EXCLUSIVE");
  const QString hangUp = dp::HangUp(dp::ModemSelector::Internal);
  for (const QString& message : {dp::PresenceProbe(), hangUp, dp::PresenceProbe()}) {
    ShortenedWait wait;
    CZEV_ActiveXCtrl ctrl;
    ctrl.SetCompletionWait(&wait);
    ctrl.SetstrNodeName(QStringLiteral("# %1").arg(demo->explicitDevice->Handle()));
    ctrl.SetstrExplicitMessage(message);
    QElapsedTimer call;
    call.start();
    if (message == hangUp)
      ctrl.MsgNoResponse(ds);
    else
      EXPECT_TRUE(dp::IsFailureReply(ctrl.MsgResponse(ds)));
    // 50 ms of real waiting plus scheduling on a loaded machine; a call stuck
    // behind the lock would take the data server's delivery bound (1 s) or more.
    EXPECT_LT(call.elapsed(), 500) << message.toStdString();
  }
  other.exec("ROLLBACK");
  lcadatsv::WaitIdle();
}

}  // namespace
}  // namespace rlxsim
