#pragma once
// The simulated network the benchmarks measure against: a LonWorks tree of
// its own (with the families' interface files) named by a private registry,
// the data server the control loads, and the demo network on the RLX
// simulator.

#include <QDir>
#include <QFile>
#include <QString>
#include <memory>

#include "explicit_control/data_server_link.h"
#include "lonworks/object_server/rlx_devices.h"
#include "lonworks/rlx_device/rlx_runtime.h"
#include "lonworks/rlx_device/rlx_store.h"
#include "platform/registry.h"

namespace bench {

// Lays the tree out under folder and opens the Object Server on it.
inline std::shared_ptr<lnssim::SimObjectServer> OpenDemoNetwork(const QString& folder) {
  qputenv("RLX_REGISTRY_ROOT", (folder + "/registry").toUtf8());
  qputenv(zev::kDataServerPathVariable, LCADATSV_LIBRARY);
  const QString lon = folder + "/LonWorks";
  QDir().mkpath(lon + "/Import");
  for (const char* f : {"Rlxtlc32.xif", "Rlxtlc20.xif"})
    QFile::copy(QStringLiteral(RLX_SOURCE_DIR "/resources/xif/") + f, lon + "/Import/" + f);
  platform::Registry::setValue(platform::Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path", lon);
  lnssim::ServerOptions o;
  o.createIfMissing = true;
  auto server = std::make_shared<lnssim::SimObjectServer>(o, rlxsim::makeRlxRuntime());
  server->Open();
  lnssim::ensureDemoNetwork(*server);
  rlxsim::ensureSchema(server->database());
  return server;
}

// Puts a number into every phonebook entry of the router.
inline void FillPhonebook(lnssim::SimObjectServer& server, const lnssim::DeviceIdentity& router) {
  rlxsim::DeviceSession session(server.runtimeContext(), router);
  for (int i = 0; i < rlxsim::kPhonebookEntries; ++i)
    session.state().phonebook[i] = QStringLiteral("9,%1").arg(5550000 + i);
  session.commit();
}

}  // namespace bench
