// The data server library as the explicit message control loads it: the
// control finds this library through RLX_LCADATSV, the test installs the
// devices behind it.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "explicit_control/completion.h"
#include "explicit_control/data_server_link.h"
#include "explicit_control/testing/simulated_wait.h"
#include "explicit_control/zev_activex_ctrl.h"
#include "lonworks/data_server/data_server.h"
#include "lonworks/data_server/lcadatsv.h"
#include "lonworks/data_server/testing/callback_recorder.h"
#include "lonworks/data_server/testing/fake_device_endpoint.h"
#include "tests/support/qt_printers.h"

extern "C" const LcaOrdinalTable LCADATSV_OrdinalTable;

namespace {

using lcadatsv::Service;
using lcadatsv_testing::CallbackRecorder;
using lcadatsv_testing::FakeDeviceEndpoint;
using Fault = FakeDeviceEndpoint::Fault;
using Bytes = std::vector<std::uint8_t>;

constexpr qint32 kDs = 3;
const QString kFailed = QStringLiteral("Message Failed");
const QString kTimeout = QStringLiteral("Message Timeout");
const Bytes kReply = {0, 1, 97, 2, 1};
const QString kReplyText = QStringLiteral("0\t1\t97\t2\t1");

// The library's functions, straight from its table.
template <typename Fn>
Fn entry(int ordinal) {
  return reinterpret_cast<Fn>(LCADATSV_OrdinalTable.functions[ordinal]);
}
std::int32_t openPoint(std::int32_t ds, std::int32_t kind, const char* device, std::int32_t code, std::int32_t* point,
                       LcaPointCallback callback) {
  return entry<LcaOpenPoint>(lca::kOpenPoint)(ds, kind, device, 0, code, point, callback, 0);
}
std::int32_t activate(std::int32_t ds, std::int32_t point) {
  return entry<LcaActivatePoint>(lca::kActivatePoint)(ds, point, 1);
}

class ControlAndDataServer : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv(zev::kDataServerPathVariable, LCADATSV_LIBRARY);
    CallbackRecorder::instance().clear();
    devices->addDevice(kDs, 17, kReply);
    lcadatsv::InstallEndpoint(devices);
    ctrl.SetstrNodeName(QStringLiteral("# 17"));
  }
  void TearDown() override {
    lcadatsv::WaitIdle();
    lcadatsv::InstallEndpoint(nullptr);
    qunsetenv(zev::kDataServerPathVariable);
  }

  QString send(const QString& message, qint32 ds = kDs) {
    ctrl.SetstrExplicitMessage(message);
    return ctrl.MsgResponse(ds);
  }

  std::shared_ptr<FakeDeviceEndpoint> devices = std::make_shared<FakeDeviceEndpoint>();
  CZEV_ActiveXCtrl ctrl;
};

}  // namespace

TEST_F(ControlAndDataServer, TheTableHoldsTheSixFunctionsAtTheirOrdinals) {
  ASSERT_GE(LCADATSV_OrdinalTable.count, 24);
  for (int i = 0; i < LCADATSV_OrdinalTable.count; ++i) {
    const bool wanted = i == 2 || i == 17 || i == 18 || i == 20 || i == 21 || i == 23;
    EXPECT_EQ(LCADATSV_OrdinalTable.functions[i] != nullptr, wanted) << "ordinal " << i;
  }
}

TEST_F(ControlAndDataServer, MsgResponseRoundTripCompletesFromTheDataServersThread) {
  // A completion point of our own on the same device sees the callback the
  // control's wait ends on.
  std::int32_t watch = 0;
  ASSERT_EQ(openPoint(kDs, lca::kCompletionPoint, "# 17", 0, &watch, &CallbackRecorder::Record), lca::kLcaOk);
  ASSERT_EQ(activate(kDs, watch), lca::kLcaOk);

  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kReplyText);
  EXPECT_EQ(zev::CompletionByte(), lca::kCompletionSuccess) << "the control's callback was called";

  const auto received = devices->requests();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].request.dataServer, kDs);
  EXPECT_EQ(received[0].request.deviceHandle, 17);
  EXPECT_EQ(received[0].request.messageCode, 0);
  EXPECT_EQ(received[0].request.service, Service::WithResponse);
  EXPECT_EQ(received[0].request.text, "01 61 02 01");
  EXPECT_EQ(received[0].request.data, Bytes({1, 61, 2, 1}));

  ASSERT_TRUE(CallbackRecorder::instance().waitFor(watch, 1));
  const auto events = CallbackRecorder::instance().eventsOf(watch);
  EXPECT_NE(events[0].thread, std::this_thread::get_id());
  EXPECT_EQ(events[0].thread, received[0].thread);
}

TEST_F(ControlAndDataServer, ASilentDeviceLeavesMessageTimeoutAfterTheFullWait) {
  zev_testing::SimulatedWait wait;
  ctrl.SetCompletionWait(&wait);
  devices->setFault(kDs, 17, Fault::Silent);
  EXPECT_EQ(send(QStringLiteral("00 01 19 00")), kTimeout);
  EXPECT_EQ(wait.waited(), 3000);
  lcadatsv::WaitIdle();
  EXPECT_EQ(zev::CompletionByte(), zev::kNoCompletion) << "no callback for a silent device";
  EXPECT_EQ(devices->requests().size(), 1u);

  // The next message is not disturbed by the one that went unanswered.
  ctrl.SetCompletionWait(nullptr);
  devices->setFault(kDs, 17, Fault::None);
  EXPECT_EQ(send(QStringLiteral("00 01 19 00")), kReplyText);
}

TEST_F(ControlAndDataServer, ResetFirstIsClearedByTheControlsReset) {
  devices->requireReset(kDs, 17);
  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kReplyText);
  EXPECT_EQ(devices->resets(kDs), 1);
  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kReplyText);
  EXPECT_EQ(devices->resets(kDs), 1);

  devices->requireReset(kDs, 17);
  devices->setResetFails(kDs, true);
  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kFailed);
  EXPECT_EQ(devices->requests().size(), 2u);
}

TEST_F(ControlAndDataServer, UnknownDevicesHandlesAndFailuresGiveMessageFailed) {
  ctrl.SetstrNodeName(QStringLiteral("# 99"));
  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kFailed);
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 19 00"));
  EXPECT_EQ(ctrl.MsgNoResponse(kDs), 1) << "its completion point cannot be opened";
  ctrl.SetstrNodeName(QStringLiteral("RLX 17"));
  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kFailed);
  ctrl.SetstrNodeName(QStringLiteral("# 17"));
  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01"), 42), kFailed);
  EXPECT_EQ(send(QStringLiteral("00 01 61 2x")), kFailed) << "a body that is no byte list";
  devices->setFault(kDs, 17, Fault::OpenFailure);
  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kFailed);
  EXPECT_TRUE(devices->requests().empty());

  // A message the data server could not deliver: the failed completion ends
  // the wait at once and the response cannot be read.
  devices->setFault(kDs, 17, Fault::Failure);
  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kFailed);
  EXPECT_EQ(zev::CompletionByte(), lca::kCompletionFailure);
  EXPECT_EQ(devices->requests().size(), 1u);
}

TEST_F(ControlAndDataServer, AReplyLongerThanTheBufferIsReadWhole) {
  devices->setReply(kDs, 17, Bytes(50, 123));
  const QString reply = send(QStringLiteral("00 01 66 00 01"));
  EXPECT_EQ(reply.size(), 50 * 4 - 1);
  EXPECT_EQ(reply.split(u'\t'), QStringList(50, QStringLiteral("123")));
}

TEST_F(ControlAndDataServer, MsgNoResponseTxMessageAndTxMesWResp) {
  ctrl.SetstrExplicitMessage(QStringLiteral("00 01 19 00"));
  EXPECT_EQ(ctrl.MsgNoResponse(kDs), 0);
  EXPECT_EQ(zev::CompletionByte(), lca::kCompletionSuccess) << "completed without a response";

  ctrl.SetPtrDataServer(kDs);
  EXPECT_EQ(ctrl.TxMessage(QStringLiteral("01 14 00")), lca::kLcaOk);
  EXPECT_EQ(ctrl.TxMessage(QStringLiteral("01 14 0x")), lca::kLcaBadValue);
  qint32 err = 55;
  EXPECT_EQ(ctrl.TxMesWResp(5, QStringLiteral("01 14 00"), err), kReplyText);
  EXPECT_EQ(err, 55);
  lcadatsv::WaitIdle();

  const auto received = devices->requests();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0].request.service, Service::NoResponse);
  EXPECT_EQ(received[0].request.text, "01 19 00");
  EXPECT_EQ(received[1].request.service, Service::Transmit);
  EXPECT_EQ(received[1].request.messageCode, 1);
  EXPECT_EQ(received[1].request.text, "01 14 00");
  EXPECT_EQ(received[2].request.service, Service::WithResponse);
  EXPECT_EQ(received[2].request.messageCode, 5);
  EXPECT_EQ(received[2].request.text, "01 14 00");

  EXPECT_EQ(ctrl.MsgRecieve(kDs), 0);
}

TEST_F(ControlAndDataServer, ALongSessionKeepsABoundedNumberOfPoints) {
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(send(QStringLiteral("00 01 61 02 01")), kReplyText) << "message " << i;
  EXPECT_EQ(lcadatsv::ProcessDataServer().pointCount(kDs, 17), lcadatsv::DataServer::kDefaultDeviceLimit);
  EXPECT_LE(lcadatsv::PointCount(), lcadatsv::DataServer::kDefaultPointLimit);
}

TEST_F(ControlAndDataServer, RoundTripsWhileOtherThreadsUseTheDataServer) {
  constexpr int kThreads = 3;
  for (int t = 0; t < kThreads; ++t)
    devices->addDevice(kDs, 60 + t, {std::uint8_t(t)});
  std::atomic<bool> done{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string name = "# " + std::to_string(60 + t);
      const auto fn = [](int ordinal) { return LCADATSV_OrdinalTable.functions[ordinal]; };
      const auto write = reinterpret_cast<LcaWritePoint>(fn(lca::kWritePoint));
      const auto read = reinterpret_cast<LcaReadPoint>(fn(lca::kReadPoint));
      const auto setAttribute = reinterpret_cast<LcaSetPointAttribute>(fn(lca::kSetPointAttribute));
      const std::int32_t service = lca::kServiceWithResponse;
      while (!done) {
        std::int32_t response = 0, completion = 0, req = 0;
        if (openPoint(kDs, 3, name.c_str(), 0, &response, nullptr) || activate(kDs, response) ||
            openPoint(kDs, 4, name.c_str(), 0, &completion, &CallbackRecorder::Record) || activate(kDs, completion) ||
            openPoint(kDs, 1, name.c_str(), 0, &req, nullptr) || setAttribute(kDs, req, 60, &service) ||
            activate(kDs, req) || write(kDs, req, 2, "1") || !CallbackRecorder::instance().waitFor(completion, 1)) {
          ++wrong;
          return;
        }
        char buffer[100];
        std::int32_t count = 100;
        if (read(kDs, response, &count, buffer, 0) != lca::kLcaOk || std::strcmp(buffer, std::to_string(t).c_str()))
          ++wrong;
      }
    });
  }
  for (int i = 0; i < 40; ++i)
    EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kReplyText) << "message " << i;
  done = true;
  for (std::thread& t : threads)
    t.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST_F(ControlAndDataServer, WithoutDevicesEveryOpenFails) {
  lcadatsv::InstallEndpoint(nullptr);  // and no simulator registered in this build
  std::int32_t point = 0;
  EXPECT_EQ(openPoint(kDs, lca::kResponsePoint, "# 17", 0, &point, nullptr), lca::kLcaFailed);
  EXPECT_EQ(entry<LcaResetDataServer>(lca::kResetDataServer)(kDs), lca::kLcaFailed);
  EXPECT_EQ(send(QStringLiteral("00 01 61 02 01")), kFailed);
}
