#pragma once
// The tests' surroundings for the ring mode and statistics windows: a
// simulated network (sim_ring_network.h), the modem names of the device
// resource file, and the ring mode window's pauses passing in simulated time.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <functional>

#include "host/mmain.h"
#include "platform/clock.h"
#include "ring_stats/fconnstatistics.h"
#include "ring_stats/fringmode.h"
#include "ring_stats/ring_stats.h"
#include "ring_stats/testing/sim_ring_network.h"
#include "tests/support/scripted_ui.h"

namespace ring_testing {

inline const QString kInternalModem = QStringLiteral("Internal Modem");
inline const QString kExternalModem1 = QStringLiteral("External Modem #1");
inline const QString kExternalModem2 = QStringLiteral("External Modem #2");

class RingStatsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MMain.InternalModemObjectName = kInternalModem;
    MMain.ExternalModem1ObjectName = kExternalModem1;
    MMain.ExternalModem2ObjectName = kExternalModem2;
    MMain.ExplicitFamily = 0;
    MMain.DialControlsDisabled = false;
    fRingMode::SetPause([this](fRingMode& window, int ms) {
      clock.advance(ms);
      pauses << ms;
      if (onPause)
        onPause(window, int(pauses.size()));
    });
  }
  void TearDown() override {
    fRingMode::SetPause(nullptr);
    ring_stats::UnloadRingStatsWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    MMain.ExplicitFamily = 0;
    MMain.DialControlsDisabled = false;
  }

  testing_support::ScriptedUi& ui() { return testing_support::scriptedUi(); }

  // Modal windows are shown for real (without blocking), so they take the
  // focus and key events as on the desktop.
  void showModalsForReal() {
    ui().onModal([](QDialog* d) {
      d->show();
      d->activateWindow();
      QApplication::setActiveWindow(d);
      return 0;
    });
  }

  fRingMode* ringWindow() { return ring_stats::LoadedRingModeWindow(); }
  fConnStatistics* statisticsWindow() { return ring_stats::LoadedStatisticsWindow(); }

  SimRingNetwork net;
  platform::ManualClock clock;
  QList<int> pauses;
  // Called during each pause of the ring mode window with the pause's number (from 1).
  std::function<void(fRingMode&, int)> onPause;
};

}  // namespace ring_testing
