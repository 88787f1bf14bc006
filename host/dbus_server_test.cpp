#include "host/dbus_server.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QWidget>
#include <algorithm>

#include "tests/support/plugin_fixture.h"

namespace {

TEST(IdleMonitor, EndsOnceAfterTheIdlePeriodAndWaitsWhileBusy) {
  platform::ManualClock clock;
  bool busy = false;
  int ended = 0;
  automation::IdleMonitor idle(
      clock, 60'000, [&busy] { return busy; }, [&ended] { ++ended; });
  clock.advance(59'999);
  idle.check();
  EXPECT_EQ(ended, 0);

  busy = true;  // an object was created: the period starts again when it goes
  clock.advance(10);
  idle.check();
  busy = false;
  clock.advance(59'999);
  idle.check();
  EXPECT_EQ(ended, 0);
  clock.advance(1);
  idle.check();
  EXPECT_EQ(ended, 1);
  EXPECT_TRUE(idle.fired());
  clock.advance(120'000);
  idle.check();
  EXPECT_EQ(ended, 1);
}

TEST(IdleMonitor, PeriodComesFromTheEnvironment) {
  qunsetenv("RLX_PLUG_IDLE_EXIT_MS");
  EXPECT_EQ(automation::IdleExitMs(), 60'000);
  for (const char* bad : {"", "0", "-5", "soon"}) {
    qputenv("RLX_PLUG_IDLE_EXIT_MS", bad);
    EXPECT_EQ(automation::IdleExitMs(), 60'000) << bad;
  }
  qputenv("RLX_PLUG_IDLE_EXIT_MS", "1500");
  EXPECT_EQ(automation::IdleExitMs(), 1500);
  qunsetenv("RLX_PLUG_IDLE_EXIT_MS");
}

// Each call waits on the event loop (as one waiting for the operator does),
// and the next call arrives while it waits. However many arrive, at most
// kMaxNestedCalls run inside one another; the rest wait their turn and are
// all answered, in the order they came.
class NestingServer : public automation::DBusServer {
 public:
  NestingServer() : DBusServer(QDBusConnection(QStringLiteral("not connected"))) {}
  int arriving = 0;  // calls still to arrive, one inside each answered call
  int deepest = 0;
  QStringList answered;
  static QDBusMessage Message(const QString& name) {
    QDBusMessage m = QDBusMessage::createMethodCall(automation::kServiceName, automation::kObjectsPath + "/1",
                                                    automation::kObjectInterface, QStringLiteral("SendCommand"));
    m << qint32(50) << qint16(0) << name;
    return m;
  }

 protected:
  automation::Reply dispatchCall(const automation::Call& call) override {
    deepest = std::max(deepest, callsUnderWay());
    answered << call.args.value(2).toString();
    if (arriving > 0) {
      const QString name = QString::number(100 - --arriving);
      handleMessage(Message(name), QDBusConnection(QStringLiteral("not connected")));
    }
    QCoreApplication::processEvents();
    return automation::Reply::ok();
  }
};

TEST(DBusServer, CallsThatArriveWhileOthersWaitNestAtMostABoundedDepth) {
  NestingServer server;
  server.arriving = 99;
  server.handleMessage(NestingServer::Message(QStringLiteral("1")), QDBusConnection(QStringLiteral("not connected")));
  for (int i = 0; i < 1000 && (server.callsWaiting() > 0 || server.callsUnderWay() > 0); ++i)
    QCoreApplication::processEvents();
  EXPECT_EQ(server.deepest, automation::DBusServer::kMaxNestedCalls);
  EXPECT_EQ(server.callsWaiting(), 0);
  EXPECT_EQ(server.callsUnderWay(), 0);
  QStringList inOrder;
  for (int i = 1; i <= 100; ++i)
    inOrder << QString::number(i);
  EXPECT_EQ(server.answered, inOrder);
}

class InUse : public testing_support::PlugInFixture {};

TEST_F(InUse, ObjectsAndShownWindowsKeepThePlugInInUse) {
  automation::Dispatcher dispatcher;
  EXPECT_FALSE(automation::PlugInInUse(dispatcher));
  const automation::Reply r =
      dispatcher.dispatch({":1.5", automation::kFactoryPath, automation::kFactoryInterface, "CreateObject", "", {}});
  ASSERT_FALSE(r.isError());
  EXPECT_TRUE(automation::PlugInInUse(dispatcher));
  window(WindowId::fMain)->widget()->show();
  dispatcher.releaseOwnedBy(":1.5");
  EXPECT_TRUE(automation::PlugInInUse(dispatcher));  // the operator still works in the window
  window(WindowId::fMain)->widget()->hide();
  EXPECT_FALSE(automation::PlugInInUse(dispatcher));
}

}  // namespace
