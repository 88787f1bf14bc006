#include "host/dbus_server.h"

#include <gtest/gtest.h>

#include <QWidget>

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
