#include "lonworks/data_server/data_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "lonworks/data_server/testing/callback_recorder.h"
#include "lonworks/data_server/testing/fake_device_endpoint.h"

using lcadatsv::DataServer;
using lcadatsv::Service;
using lcadatsv_testing::CallbackRecorder;
using lcadatsv_testing::FakeDeviceEndpoint;
using Fault = FakeDeviceEndpoint::Fault;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::int32_t kDs = 7;
constexpr std::int32_t kOtherDs = 8;
constexpr LcaPointCallback kRecord = &CallbackRecorder::Record;
const Bytes kReply = {0, 1, 97};

struct ReadResult {
  std::int32_t status;
  std::string text;
};

class DataServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CallbackRecorder::instance().clear();
    devices->addDevice(kDs, 17, kReply);
    devices->addDevice(kDs, 18, {9, 9});
    devices->addDataServer(kOtherDs);
    makeServer(DataServer::kDefaultPointLimit);
  }

  void makeServer(std::size_t limit, std::size_t deviceLimit = DataServer::kDefaultDeviceLimit) {
    server.reset();
    server = std::make_unique<DataServer>([d = devices] { return d; }, limit, deviceLimit);
  }

  std::int32_t open(std::int32_t kind, const char* device = "# 17", std::int32_t code = 0,
                    LcaPointCallback callback = kRecord, bool activate = true) {
    std::int32_t point = 0;
    EXPECT_EQ(server->OpenPoint(kDs, kind, device, code, &point, callback), lca::kLcaOk) << device;
    if (activate) {
      EXPECT_EQ(server->ActivatePoint(kDs, point, 1), lca::kLcaOk);
    }
    return point;
  }

  std::int32_t request(std::int32_t service, const char* device = "# 17", std::int32_t code = 0) {
    const std::int32_t point = open(lca::kRequestPoint, device, code);
    EXPECT_EQ(server->SetPointAttribute(kDs, point, lca::kMessageAttribute, &service), lca::kLcaOk);
    return point;
  }

  std::int32_t write(std::int32_t point, const char* text) {
    return server->WritePoint(kDs, point, static_cast<std::int32_t>(std::strlen(text)) + 1, text);
  }

  ReadResult read(std::int32_t point) {
    std::vector<char> buffer(100, 'x');
    std::int32_t count = 100;
    std::int32_t status = server->ReadPoint(kDs, point, &count, buffer.data());
    if (status == lca::kLcaMoreData) {
      buffer.assign(count, 'x');
      status = server->ReadPoint(kDs, point, &count, buffer.data());
    }
    return {status, status == lca::kLcaOk ? std::string(buffer.data()) : std::string()};
  }

  std::shared_ptr<FakeDeviceEndpoint> devices = std::make_shared<FakeDeviceEndpoint>();
  std::unique_ptr<DataServer> server;
};

}  // namespace

TEST_F(DataServerTest, OpenPointAnswersForTheDeviceAndItsSystem) {
  std::set<std::int32_t> handles;
  for (std::int32_t kind : {0, 1, 3, 4})
    handles.insert(open(kind, "# 17", -1, nullptr, false));
  EXPECT_EQ(handles.size(), 4u);
  EXPECT_EQ(server->pointCount(), 4u);

  const auto status = [&](std::int32_t ds, std::int32_t kind, const char* name, std::int32_t code = 0) {
    std::int32_t point = -77;
    const std::int32_t s = server->OpenPoint(ds, kind, name, code, &point, nullptr);
    EXPECT_EQ(point, -77) << "a point that did not open hands out no handle";
    return s;
  };
  EXPECT_EQ(status(99, 3, "# 17"), lca::kLcaBadHandle);
  EXPECT_EQ(status(kDs, 3, "# 19"), lca::kLcaUnknownDevice);
  EXPECT_EQ(status(kOtherDs, 3, "# 17"), lca::kLcaUnknownDevice);
  EXPECT_EQ(status(kDs, 3, "17"), lca::kLcaUnknownDevice);
  EXPECT_EQ(status(kDs, 3, nullptr), lca::kLcaUnknownDevice);
  EXPECT_EQ(status(kDs, 3, std::string(300, '1').insert(0, "# ").c_str()), lca::kLcaUnknownDevice);
  EXPECT_EQ(status(kDs, 2, "# 17"), lca::kLcaBadValue);
  EXPECT_EQ(status(kDs, 5, "# 17"), lca::kLcaBadValue);
  EXPECT_EQ(status(kDs, 3, "# 17", -2), lca::kLcaBadValue);
  EXPECT_EQ(server->OpenPoint(kDs, 3, "# 17", 0, nullptr, nullptr), lca::kLcaBadValue);
  devices->setFault(kDs, 18, Fault::OpenFailure);
  EXPECT_EQ(status(kDs, 3, "# 18"), lca::kLcaFailed);
  EXPECT_EQ(server->pointCount(), 4u);

  // Without devices nothing opens and nothing resets.
  DataServer none([] { return std::shared_ptr<lcadatsv::DeviceEndpoint>(); });
  std::int32_t point = 0;
  EXPECT_EQ(none.OpenPoint(kDs, 3, "# 17", 0, &point, nullptr), lca::kLcaFailed);
  EXPECT_EQ(none.ResetDataServer(kDs), lca::kLcaFailed);
}

TEST_F(DataServerTest, ResetFirstHoldsUntilTheHandleIsReset) {
  devices->requireReset(kDs, 17);
  std::int32_t point = 0;
  EXPECT_EQ(server->OpenPoint(kDs, 3, "# 17", 0, &point, nullptr), lca::kLcaResetFirst);
  EXPECT_EQ(server->OpenPoint(kDs, 3, "# 17", 0, &point, nullptr), lca::kLcaResetFirst);
  EXPECT_EQ(server->OpenPoint(kDs, 3, "# 18", 0, &point, nullptr), lca::kLcaOk);

  EXPECT_EQ(server->ResetDataServer(kOtherDs), lca::kLcaOk);
  EXPECT_EQ(server->OpenPoint(kDs, 3, "# 17", 0, &point, nullptr), lca::kLcaResetFirst);
  devices->setResetFails(kDs, true);
  EXPECT_EQ(server->ResetDataServer(kDs), lca::kLcaFailed);
  EXPECT_EQ(server->OpenPoint(kDs, 3, "# 17", 0, &point, nullptr), lca::kLcaResetFirst);
  devices->setResetFails(kDs, false);
  EXPECT_EQ(server->ResetDataServer(kDs), lca::kLcaOk);
  EXPECT_EQ(server->OpenPoint(kDs, 3, "# 17", 0, &point, nullptr), lca::kLcaOk);
  EXPECT_EQ(server->ResetDataServer(99), lca::kLcaBadHandle);
}

TEST_F(DataServerTest, AReplyReachesTheMatchingResponsePointsAndCompletesFromItsOwnThread) {
  const std::int32_t response = open(lca::kResponsePoint);
  const std::int32_t responseAnyCode = open(lca::kResponsePoint, "# 17", -1);
  const std::int32_t responseInactive = open(lca::kResponsePoint, "# 17", 0, nullptr, false);
  const std::int32_t responseOtherCode = open(lca::kResponsePoint, "# 17", 5);
  const std::int32_t responseOtherDevice = open(lca::kResponsePoint, "# 18");
  const std::int32_t completion = open(lca::kCompletionPoint);
  const std::int32_t completionAnyCode = open(lca::kCompletionPoint, "# 17", -1, &CallbackRecorder::RecordAs<1>);
  open(lca::kCompletionPoint, "# 17", 0, kRecord, false);  // inactive
  open(lca::kCompletionPoint, "# 17", 5);
  open(lca::kCompletionPoint, "# 18");
  open(lca::kCompletionPoint, "# 17", 0, nullptr);
  const std::int32_t req = request(lca::kServiceWithResponse);

  EXPECT_EQ(write(req, "01 61 02 01"), lca::kLcaOk);
  server->WaitIdle();

  const auto received = devices->requests();
  ASSERT_EQ(received.size(), 1u);
  const lcadatsv::DeviceRequest& r = received[0].request;
  EXPECT_EQ(r.dataServer, kDs);
  EXPECT_EQ(r.deviceName, "# 17");
  EXPECT_EQ(r.deviceHandle, 17);
  EXPECT_EQ(r.messageCode, 0);
  EXPECT_EQ(r.service, Service::WithResponse);
  EXPECT_EQ(r.text, "01 61 02 01");
  EXPECT_EQ(r.data, Bytes({1, 61, 2, 1}));
  EXPECT_NE(received[0].thread, std::this_thread::get_id());

  EXPECT_EQ(read(response).text, "0\t1\t97");
  EXPECT_EQ(read(responseAnyCode).text, "0\t1\t97");
  for (std::int32_t untouched : {responseInactive, responseOtherCode, responseOtherDevice}) {
    const ReadResult result = read(untouched);
    EXPECT_EQ(result.status, lca::kLcaOk);
    EXPECT_EQ(result.text, "");
  }

  const auto events = CallbackRecorder::instance().events();
  ASSERT_EQ(events.size(), 2u);
  std::set<std::int32_t> called;
  for (const auto& e : events) {
    called.insert(e.point);
    EXPECT_EQ(e.event, lca::kEventCompletion);
    EXPECT_EQ(e.firstByte, lca::kCompletionSuccess);
    EXPECT_EQ(e.thread, received[0].thread);
  }
  EXPECT_EQ(called, (std::set<std::int32_t>{completion, completionAnyCode}));
}

TEST_F(DataServerTest, OneCompletionCallsEachCallbackOnceOnItsNewestPoint) {
  // As the control leaves them: a fresh completion point for every message,
  // all with the same callback, none ever closed.
  std::vector<std::int32_t> stale;
  for (int i = 0; i < 20; ++i)
    stale.push_back(open(lca::kCompletionPoint));
  const std::int32_t other = open(lca::kCompletionPoint, "# 17", -1, &CallbackRecorder::RecordAs<2>);
  const std::int32_t newest = open(lca::kCompletionPoint);
  const std::int32_t req = request(lca::kServiceWithResponse);
  open(lca::kCompletionPoint, "# 17", 0, kRecord, false);  // newer, but not active

  EXPECT_EQ(write(req, "1"), lca::kLcaOk);
  server->WaitIdle();
  const auto events = CallbackRecorder::instance().events();
  ASSERT_EQ(events.size(), 2u);
  std::set<std::int32_t> called = {events[0].point, events[1].point};
  EXPECT_EQ(called, (std::set<std::int32_t>{newest, other}));
}

TEST_F(DataServerTest, SilentAndFailingDevices) {
  const std::int32_t response = open(lca::kResponsePoint);
  const std::int32_t completion = open(lca::kCompletionPoint);
  const std::int32_t req = request(lca::kServiceWithResponse);

  devices->setFault(kDs, 17, Fault::Silent);
  EXPECT_EQ(write(req, "1"), lca::kLcaOk);
  server->WaitIdle();
  EXPECT_EQ(read(response).text, "Message Timeout");
  EXPECT_TRUE(CallbackRecorder::instance().events().empty()) << "a silent device completes nothing";

  devices->setFault(kDs, 17, Fault::Failure);
  EXPECT_EQ(write(req, "1"), lca::kLcaOk);
  server->WaitIdle();
  EXPECT_EQ(read(response).status, lca::kLcaFailed);
  const auto events = CallbackRecorder::instance().eventsOf(completion);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].firstByte, lca::kCompletionFailure);

  devices->setFault(kDs, 17, Fault::None);
  EXPECT_EQ(write(req, "1"), lca::kLcaOk);
  server->WaitIdle();
  EXPECT_EQ(read(response).text, "0\t1\t97");
}

TEST_F(DataServerTest, ReadingBeforeTheReplyGivesTheMessageUp) {
  const std::int32_t response = open(lca::kResponsePoint);
  const std::int32_t completion = open(lca::kCompletionPoint);
  const std::int32_t req = request(lca::kServiceWithResponse);

  devices->hold();
  EXPECT_EQ(write(req, "1 2"), lca::kLcaOk);
  devices->waitForRequests(1);
  EXPECT_EQ(read(response).text, "Message Timeout");
  devices->release();
  server->WaitIdle();
  // The late reply neither replaces the report nor ends anyone's wait.
  EXPECT_EQ(read(response).text, "Message Timeout");
  EXPECT_TRUE(CallbackRecorder::instance().events().empty());

  EXPECT_EQ(write(req, "1 2"), lca::kLcaOk);
  ASSERT_TRUE(CallbackRecorder::instance().waitFor(completion, 1));
  EXPECT_EQ(read(response).text, "0\t1\t97");
}

TEST_F(DataServerTest, NoResponseCompletesAndTransmitOnlySends) {
  const std::int32_t response = open(lca::kResponsePoint);
  const std::int32_t completion = open(lca::kCompletionPoint, "# 17", -1);
  const std::int32_t noResponse = request(lca::kServiceNoResponse);
  const std::int32_t unset = open(lca::kRequestPoint);  // attribute never set: no response wanted

  for (Fault fault : {Fault::None, Fault::Silent, Fault::Failure}) {
    devices->setFault(kDs, 17, fault);
    for (std::int32_t point : {noResponse, unset}) {
      CallbackRecorder::instance().clear();
      EXPECT_EQ(write(point, "01 19 00"), lca::kLcaOk);
      server->WaitIdle();
      const auto events = CallbackRecorder::instance().eventsOf(completion);
      ASSERT_EQ(events.size(), 1u);
      EXPECT_EQ(events[0].firstByte, fault == Fault::Failure ? lca::kCompletionFailure : lca::kCompletionSuccess);
    }
  }
  EXPECT_EQ(read(response).text, "") << "no response was asked for";
  for (const auto& r : devices->requests())
    EXPECT_EQ(r.request.service, Service::NoResponse);

  devices->setFault(kDs, 17, Fault::None);
  CallbackRecorder::instance().clear();
  const std::size_t before = devices->requests().size();
  const std::int32_t transmitCompletion = open(lca::kCompletionPoint, "# 17", 1, nullptr);
  std::int32_t transmit = lca::kServiceTransmit;
  EXPECT_EQ(server->SetPointAttribute(kDs, transmitCompletion, lca::kMessageAttribute, &transmit), lca::kLcaOk);
  EXPECT_EQ(write(transmitCompletion, "01 14 00"), lca::kLcaOk);
  EXPECT_EQ(write(request(lca::kServiceTransmit, "# 17", 1), "02"), lca::kLcaOk);
  server->WaitIdle();
  const auto received = devices->requests();
  ASSERT_EQ(received.size(), before + 2);
  EXPECT_EQ(received[before].request.service, Service::Transmit);
  EXPECT_EQ(received[before].request.messageCode, 1);
  EXPECT_EQ(received[before].request.text, "01 14 00");
  EXPECT_EQ(received[before + 1].request.data, Bytes({2}));
  EXPECT_TRUE(CallbackRecorder::instance().events().empty()) << "a transmitted message completes nothing";
  EXPECT_EQ(read(response).text, "");
}

TEST_F(DataServerTest, WritesThatCannotBeSent) {
  const std::int32_t req = request(lca::kServiceWithResponse);
  const std::int32_t inactive = open(lca::kRequestPoint, "# 17", 0, kRecord, false);
  EXPECT_EQ(write(inactive, "1"), lca::kLcaNotActive);
  EXPECT_EQ(write(req, "1 2 300"), lca::kLcaBadValue);
  EXPECT_EQ(write(req, "1;2"), lca::kLcaBadValue);
  EXPECT_EQ(write(request(lca::kServiceWithResponse, "# 17", -1), "1"), lca::kLcaBadValue);
  EXPECT_EQ(write(open(lca::kResponsePoint), "1"), lca::kLcaFailed);
  EXPECT_EQ(write(open(lca::kReceivePoint), "1"), lca::kLcaFailed);
  EXPECT_EQ(write(open(lca::kCompletionPoint), "1"), lca::kLcaFailed) << "a completion point only transmits";
  EXPECT_EQ(server->WritePoint(kOtherDs, req, 2, "1"), lca::kLcaBadHandle);
  EXPECT_EQ(server->WritePoint(kDs, 123456, 2, "1"), lca::kLcaBadHandle);
  EXPECT_EQ(server->WritePoint(kDs, req, 2, nullptr), lca::kLcaBadValue);
  EXPECT_EQ(server->WritePoint(kDs, req, 0, "1"), lca::kLcaBadValue);
  EXPECT_EQ(server->WritePoint(kDs, req, DataServer::kMaxWriteBytes + 1, "1"), lca::kLcaBadValue);
  server->WaitIdle();
  EXPECT_TRUE(devices->requests().empty());

  // The text ends after byteCount bytes when no zero comes first.
  EXPECT_EQ(server->WritePoint(kDs, req, 5, "01 02 03"), lca::kLcaOk);
  server->WaitIdle();
  ASSERT_EQ(devices->requests().size(), 1u);
  EXPECT_EQ(devices->requests()[0].request.data, Bytes({1, 2}));

  std::int32_t value = 3;
  EXPECT_EQ(server->SetPointAttribute(kDs, req, 61, &value), lca::kLcaBadValue);
  EXPECT_EQ(server->SetPointAttribute(kDs, req, lca::kMessageAttribute, nullptr), lca::kLcaBadValue);
  value = 1;
  EXPECT_EQ(server->SetPointAttribute(kDs, req, lca::kMessageAttribute, &value), lca::kLcaBadValue);
  EXPECT_EQ(server->SetPointAttribute(kOtherDs, req, lca::kMessageAttribute, &value), lca::kLcaBadHandle);
  EXPECT_EQ(server->ActivatePoint(kOtherDs, req, 1), lca::kLcaBadHandle);
  EXPECT_EQ(server->ActivatePoint(kDs, -1, 1), lca::kLcaBadHandle);
  EXPECT_EQ(server->ActivatePoint(kDs, req, 0), lca::kLcaOk);
  EXPECT_EQ(write(req, "1"), lca::kLcaNotActive) << "deactivated";
}

TEST_F(DataServerTest, ALongReplyAnnouncesTheSizeItNeeds) {
  const std::int32_t response = open(lca::kResponsePoint);
  const std::int32_t req = request(lca::kServiceWithResponse);
  devices->setReply(kDs, 17, Bytes(60, 200));
  EXPECT_EQ(write(req, "1"), lca::kLcaOk);
  server->WaitIdle();

  std::string expected = "200";
  for (int i = 1; i < 60; ++i)
    expected += "\t200";
  std::vector<char> buffer(100, 'x');
  std::int32_t count = 100;
  EXPECT_EQ(server->ReadPoint(kDs, response, &count, buffer.data()), lca::kLcaMoreData);
  EXPECT_EQ(count, static_cast<std::int32_t>(expected.size()) + 1);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(100, 'x')) << "nothing written";
  buffer.assign(count, 'x');
  EXPECT_EQ(server->ReadPoint(kDs, response, &count, buffer.data()), lca::kLcaOk);
  EXPECT_EQ(std::string(buffer.data()), expected);

  devices->setReply(kDs, 17, {7});
  EXPECT_EQ(write(req, "1"), lca::kLcaOk);
  server->WaitIdle();
  char small[2] = {'x', 'x'};
  count = 1;
  EXPECT_EQ(server->ReadPoint(kDs, response, &count, small), lca::kLcaMoreData);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(server->ReadPoint(kDs, response, &count, small), lca::kLcaOk);
  EXPECT_STREQ(small, "7");

  EXPECT_EQ(server->ReadPoint(kDs, response, nullptr, small), lca::kLcaBadValue);
  EXPECT_EQ(server->ReadPoint(kDs, response, &count, nullptr), lca::kLcaBadValue);
  EXPECT_EQ(read(req).status, lca::kLcaFailed);
  EXPECT_EQ(read(open(lca::kCompletionPoint)).status, lca::kLcaFailed);
  EXPECT_EQ(read(open(lca::kReceivePoint)).text, "") << "nothing is delivered to a receive point";
}

TEST_F(DataServerTest, TheOldestPointsOfEachDeviceAndOfTheProcessAreReclaimed) {
  const auto alive = [&](std::int32_t point) { return server->ActivatePoint(kDs, point, 1) == lca::kLcaOk; };
  const auto openMany = [&](const char* device, int n) {
    std::vector<std::int32_t> handles;
    for (int i = 0; i < n; ++i)
      handles.push_back(open(lca::kResponsePoint, device, 0, nullptr, false));
    return handles;
  };

  // Each device keeps its newest points; a busy device does not push out
  // another device's points.
  makeServer(100, 4);
  const std::vector<std::int32_t> first = openMany("# 17", 6);
  EXPECT_EQ(server->pointCount(kDs, 17), 4u);
  EXPECT_FALSE(alive(first[0]));
  EXPECT_FALSE(alive(first[1]));
  for (int i = 2; i < 6; ++i)
    EXPECT_TRUE(alive(first[i]));
  for (int i = 1; i < 6; ++i)
    EXPECT_GT(first[i], first[i - 1]) << "a reclaimed handle is not handed out again";
  const std::vector<std::int32_t> other = openMany("# 18", 2);
  openMany("# 17", 10);
  EXPECT_EQ(server->pointCount(kDs, 17), 4u);
  EXPECT_TRUE(alive(other[0]) && alive(other[1]));
  EXPECT_EQ(server->pointCount(), 6u);

  // The process keeps its newest points, whichever device they belong to.
  makeServer(6, 4);
  const std::vector<std::int32_t> a = openMany("# 17", 3);
  const std::vector<std::int32_t> b = openMany("# 18", 4);
  EXPECT_EQ(server->pointCount(), 6u);
  EXPECT_FALSE(alive(a[0]));
  EXPECT_TRUE(alive(a[1]) && alive(a[2]));
  for (std::int32_t h : b)
    EXPECT_TRUE(alive(h));

  // A full round trip still fits in what is kept.
  const std::int32_t response = open(lca::kResponsePoint);
  const std::int32_t completion = open(lca::kCompletionPoint);
  const std::int32_t req = request(lca::kServiceWithResponse);
  EXPECT_EQ(write(req, "1"), lca::kLcaOk);
  ASSERT_TRUE(CallbackRecorder::instance().waitFor(completion, 1));
  EXPECT_EQ(read(response).text, "0\t1\t97");
  EXPECT_EQ(server->pointCount(), 6u);
}

TEST_F(DataServerTest, ManyThreadsAtOnce) {
  // Few points kept, so that points are reclaimed while the threads run. A
  // thread that is held up long enough may lose a point it has just opened to
  // the process bound: that step answers kLcaBadHandle and the round trip is
  // skipped. Every round trip that does get through must be exact.
  makeServer(40, 16);
  constexpr int kThreads = 4;
  constexpr int kRoundTrips = 60;
  for (int t = 0; t < kThreads; ++t)
    devices->addDevice(kDs, 40 + t, {std::uint8_t(t), std::uint8_t(t + 100)});

  std::atomic<int> wrong{0}, exact{0}, written{0};
  std::atomic<bool> done{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string name = "# " + std::to_string(40 + t);
      const std::string expected = std::to_string(t) + "\t" + std::to_string(t + 100);
      const std::int32_t service = lca::kServiceWithResponse;
      const auto ok = [&](std::int32_t status) {
        if (status != lca::kLcaOk && status != lca::kLcaBadHandle)
          ++wrong;
        return status == lca::kLcaOk;
      };
      for (int i = 0; i < kRoundTrips; ++i) {
        std::int32_t response = 0, completion = 0, req = 0;
        if (!ok(server->OpenPoint(kDs, 3, name.c_str(), 0, &response, nullptr)) ||
            !ok(server->ActivatePoint(kDs, response, 1)) ||
            !ok(server->OpenPoint(kDs, 4, name.c_str(), 0, &completion, kRecord)) ||
            !ok(server->ActivatePoint(kDs, completion, 1)) ||
            !ok(server->OpenPoint(kDs, 1, name.c_str(), 0, &req, nullptr)) ||
            !ok(server->SetPointAttribute(kDs, req, lca::kMessageAttribute, &service)) ||
            !ok(server->ActivatePoint(kDs, req, 1)) || !ok(server->WritePoint(kDs, req, 2, "5")))
          continue;
        ++written;
        if (!CallbackRecorder::instance().waitFor(completion, 1, std::chrono::seconds(5))) {
          // Only a completion point reclaimed in the meantime goes unheard.
          if (server->ActivatePoint(kDs, completion, 1) != lca::kLcaBadHandle)
            ++wrong;
          continue;
        }
        char buffer[100];
        std::int32_t count = 100;
        if (!ok(server->ReadPoint(kDs, response, &count, buffer)))
          continue;
        if (buffer == expected)
          ++exact;
        else
          ++wrong;
      }
    });
  }
  // Meanwhile, calls with made-up points of another handle and opens of an
  // unknown device: they fail cleanly and disturb nobody.
  threads.emplace_back([&] {
    std::mt19937 random(1);
    const std::set<std::int32_t> allowed = {lca::kLcaBadHandle, lca::kLcaUnknownDevice, lca::kLcaBadValue};
    while (!done) {
      const std::int32_t point = std::int32_t(random() % 300);
      const std::int32_t value = std::int32_t(random() % 4);
      char buffer[8];
      std::int32_t count = std::int32_t(random() % 8);
      std::int32_t opened = 0;
      for (std::int32_t status :
           {server->SetPointAttribute(kOtherDs, point, 60, &value), server->WritePoint(kOtherDs, point, 4, "9 x"),
            server->ReadPoint(kOtherDs, point, &count, buffer), server->ActivatePoint(kOtherDs, point, 1),
            server->OpenPoint(kDs, std::int32_t(random() % 5), "# 99", 0, &opened, kRecord)})
        if (!allowed.count(status))
          ++wrong;
      // Harmless on the points of the other threads: they are active already.
      server->ActivatePoint(kDs, point, 1);
    }
  });
  for (int t = 0; t < kThreads; ++t)
    threads[t].join();
  done = true;
  threads.back().join();
  server->WaitIdle();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_GT(exact.load(), 0);
  EXPECT_LE(server->pointCount(), 40u);
  EXPECT_EQ(devices->requests().size(), std::size_t(written.load()));
}
