#pragma once
// The operations x faults matrix: every device operation of a main window,
// described once (how to get there, how to trigger it, what it must show and
// leave behind), crossed with the three faults. Each combination is one test.
//
// The fault is injected on the device (silent, data server failing, reset
// first), or, for an operation that is one step of a longer sequence, as a
// scripted answer to that step's request while the rest of the device works.
// A reset-first fault is always the device's: the operation's first message
// meets it, the control resets the data server and goes on.

#include <algorithm>
#include <functional>
#include <vector>

#include "host/attach.h"
#include "tests/faults/fault_fixture.h"

namespace fault_testing {

struct Box {
  QString text;  // "%1" stands for the failure text ("Message Timeout", "Message Failed")
  QString title;
};

// What the operator sees: message boxes and modal (or modeless) windows, in order.
struct Shows {
  QList<Box> boxes;
  QStringList windows;
};

class MatrixFixture;

struct Operation {
  const char* name;
  bool explicitFamily = false;
  // Brings the window to where the operator starts the operation; runs without fault.
  std::function<void(MatrixFixture&)> prepare;
  // The operator's action. The fault is injected just before it, unless the
  // operation injects it itself (fx.inject()) at a later point of its steps.
  std::function<void(MatrixFixture&)> act;
  Shows silent;
  Shows failing;
  Shows reset;
  // The window and the stored state afterwards, for the fault at hand.
  std::function<void(MatrixFixture&, DeviceFault)> check;
  // Records the operation may change, for the fault at hand ("Name*" stands
  // for every record whose name begins with Name); the check says how. Any
  // other record must stand as it was.
  std::function<QStringList(DeviceFault)> mayChange;
  // A request whose answer alone is faulted (silent and failing columns).
  QString request;
  bool injectsItself = false;
  // Whether the main window is meant to be there afterwards, for the fault at hand.
  std::function<bool(DeviceFault)> windowStays = [](DeviceFault) { return true; };
};

// Shows for an operation that reports its failure with these boxes and opens
// nothing, and works without a word once the data server was reset.
inline Operation& Reports(Operation& op, const QList<Box>& boxes) {
  op.silent = {boxes, {}};
  op.failing = {boxes, {}};
  op.reset = {};
  return op;
}

class MatrixFixture : public FaultFixture,
                      public ::testing::WithParamInterface<std::tuple<const Operation*, DeviceFault>> {
 public:
  const Operation& op() const { return *std::get<0>(GetParam()); }
  DeviceFault fault() const { return std::get<1>(GetParam()); }
  bool failed() const { return fault() != DeviceFault::ResetFirst; }
  QString failureText() const { return FailureText(fault()); }
  // The operation's device (kept from the start: an operation may close the network).
  lns::AppDevicePtr device() {
    if (!device_)
      device_ = op().explicitFamily ? explicitRlx() : lonMark();
    return device_;
  }
  DeviceWindow* window() {
    return op().explicitFamily ? static_cast<DeviceWindow*>(explicitWindow()) : static_cast<DeviceWindow*>(main());
  }

  // Puts the test's fault in place.
  void inject() {
    injected_ = true;
    if (!op().request.isEmpty() && fault() != DeviceFault::ResetFirst) {
      if (fault() == DeviceFault::Silent)
        net->scriptSilence(device(), op().request);
      else
        net->scriptFailure(device(), op().request);
      return;
    }
    net->setFault(device(), SimFault(fault()));
  }
  void removeFault() {
    net->clearScripts();
    net->setFault(device(), rlxsim::Fault::None);
  }

  // The records as they stood when the operation started.
  Records before;

  void run() {
    const Operation& o = op();
    if (o.prepare)
      o.prepare(*this);
    device();
    QPointer<DeviceWindow> w(window());
    net->clearSent();
    scriptedUi().clear();
    prompts.clear();
    before = RecordsOf(device());
    injected_ = false;
    if (!o.injectsItself)
      inject();
    o.act(*this);
    ASSERT_TRUE(injected_) << "the operation never met its fault";
    // An operation that ends the plug-in closes the Object Server; what it
    // left in the database is looked at through it again.
    if (!net->server().IsOpen()) {
      MMain.ObjectServer = net->serverPtr();
      attach::OpenNetwork(QString::fromLatin1(testing_support::SimNetwork::kNetworkName), QString());
      device_.reset();
    }

    const Shows& expected = fault() == DeviceFault::Silent            ? o.silent
                            : fault() == DeviceFault::DataServerFails ? o.failing
                                                                      : o.reset;
    QStringList texts, titles, wantTexts, wantTitles;
    for (const testing_support::RecordedBox& b : scriptedUi().boxes()) {
      texts << b.text;
      titles << b.title;
    }
    for (const Box& b : expected.boxes) {
      wantTexts << (b.text.contains(QLatin1String("%1")) ? b.text.arg(failureText()) : b.text);
      wantTitles << b.title;
    }
    EXPECT_EQ(texts, wantTexts);
    EXPECT_EQ(titles, wantTitles);
    EXPECT_EQ(scriptedUi().modalsShown(), expected.windows);
    EXPECT_EQ(scriptedUi().pointer(), platform::Pointer::Default);

    // Nothing already stored is lost; the operation's own check says what may change.
    const QStringList allowed = o.mayChange ? o.mayChange(fault()) : QStringList();
    QStringList changed;
    for (const QString& line : LostOrChanged(before, RecordsOf(device()))) {
      const QString name = line.section(u'=', 0, 0);
      const bool expectedChange = std::any_of(allowed.begin(), allowed.end(), [&](const QString& a) {
        return a.endsWith(u'*') ? name.startsWith(a.chopped(1)) : name == a;
      });
      if (!expectedChange)
        changed << line;
    }
    EXPECT_EQ(changed, QStringList()) << "records lost or changed";
    if (o.check)
      o.check(*this, fault());

    // A reset-first fault met by a message is gone: the control reset the data server.
    if (fault() == DeviceFault::ResetFirst && !net->sent(device()).isEmpty()) {
      EXPECT_EQ(net->state(device()).fault, rlxsim::Fault::None);
    }

    removeFault();
    if (o.windowStays(fault())) {
      expectUsable(w.data(), device());
    } else {
      EXPECT_TRUE(w.isNull() || !w->isVisible());
    }
  }

 private:
  bool injected_ = false;
  lns::AppDevicePtr device_;
};

// Test names: the operation and the fault.
inline std::string MatrixName(const ::testing::TestParamInfo<std::tuple<const Operation*, DeviceFault>>& info) {
  return std::string(std::get<0>(info.param)->name) + "_" + FaultName(std::get<1>(info.param));
}

// The parameters of a table of operations crossed with the three faults.
inline std::vector<std::tuple<const Operation*, DeviceFault>> Cross(const std::vector<Operation>& ops) {
  std::vector<std::tuple<const Operation*, DeviceFault>> out;
  for (const Operation& op : ops)
    for (DeviceFault f : {DeviceFault::Silent, DeviceFault::DataServerFails, DeviceFault::ResetFirst})
      out.emplace_back(&op, f);
  return out;
}

}  // namespace fault_testing
