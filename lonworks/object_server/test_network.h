#pragma once
// Test surroundings for the simulated Object Server: a private LonWorks tree
// with the families' external interface files, and the demo network in it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "lonworks/object_server/object_server.h"
#include "lonworks/object_server/rlx_devices.h"
#include "lonworks/object_server/sim_database.h"
#include "tests/support/test_env.h"

namespace lnssim::testing {

// Expects the call to throw an LnsError with that number; returns its description.
template <class F>
QString errorOf(F&& call, qint32 number) {
  try {
    call();
  } catch (const lns::LnsError& e) {
    EXPECT_EQ(e.number(), number) << e.description().toStdString();
    return e.description();
  }
  ADD_FAILURE() << "no LnsError " << number << " was thrown";
  return QString();
}

class LonWorksTree {
 public:
  LonWorksTree() {
    root = env.makeLonWorksTree();
    for (const char* f : {"Rlxtlc32.xif", "Rlxtlc20.xif"})
      QFile::copy(testing_support::TestEnv::sourceDir() + QStringLiteral("/resources/xif/") + QLatin1String(f),
                  root + QStringLiteral("/Import/") + QLatin1String(f));
  }
  QString databasePath() const { return root + QStringLiteral("/Database/lns.db"); }
  // A server on the tree's database, created when missing, and opened.
  std::unique_ptr<SimObjectServer> openServer(std::shared_ptr<DeviceRuntime> runtime = nullptr,
                                              const platform::Clock* clock = nullptr) {
    ServerOptions o;
    o.createIfMissing = true;
    auto s = std::make_unique<SimObjectServer>(o, std::move(runtime), clock);
    s->Open();
    return s;
  }

  testing_support::TestEnv env;
  QString root;
};

// The demo network, opened: Routers/RLX-LonMark and Routers/RLX-Explicit.
struct DemoNetwork {
  explicit DemoNetwork(SimObjectServer& server) {
    ensureDemoNetwork(server);
    sys = openFirstSystem(server, QStringLiteral("Demo"));
    routers = sys.system->Subsystems()->Item(QStringLiteral("Routers"));
    lonMark = routers->AppDevices()->Item(QStringLiteral("RLX-LonMark"));
    explicitDevice = routers->AppDevices()->Item(QStringLiteral("RLX-Explicit"));
  }
  lns::LonMarkObjectPtr object(const QString& name) const { return lonMark->Interface()->LonMarkObjects()->Item(name); }

  OpenedSystem sys;
  lns::SubsystemPtr routers;
  lns::AppDevicePtr lonMark;
  lns::AppDevicePtr explicitDevice;
};

}  // namespace lnssim::testing
