#pragma once
// A simulated LonWorks network for the windows' tests: a private registry and
// LonWorks tree with the device resource files installed (the LonMark object
// names loaded into MMain), the demo network "Demo" with its RLX routers
// (Routers/RLX-LonMark, Routers/RLX-Explicit), an Object Server whose RLX
// devices answer through the RLX simulator, the network opened the way a
// director's networkName opens it, and the data server library that the
// explicit message control loads (RLX_LCADATSV) delivering to the same
// simulated devices. The network clock is frozen: time moves only with
// advance().
//
// Faults and device settings go through the simulator's state (change(),
// setFault(), setModem()); single requests can be given a scripted answer
// (scriptReply(), scriptFailure(), scriptSilence()) that takes the place of
// the device's own. Every explicit request on its way to a device is
// recorded (sent()), scripted or not; the simulator keeps its own traffic log
// of what reached the device (traffic()).
//
// A window's control waits at most 3000 ms for a device; give it
// completionWait() so a silent device ends that wait at once on simulated time:
//   window->Control->SetCompletionWait(&net.completionWait());
//
// One SimNetwork at a time; windows created on it must go before it does.
// It needs a QApplication and the UI services the program or test installs,
// nothing of a test framework, so benchmarks use it too.

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

#include "explicit_control/completion.h"
#include "host/lns/lns.h"
#include "lonworks/object_server/object_server.h"
#include "lonworks/rlx_device/rlx_state.h"
#include "platform/clock.h"

class QTemporaryDir;

namespace testing_support {

class ScriptedEndpoint;

// The control's completion wait on a simulated network: completions from the
// data server end it as usual (the real time they take is tiny); a device
// that stays silent makes its clock jump to the end of the bound at once.
class SimCompletionWait : public zev::CompletionWait {
 public:
  SimCompletionWait();
  const platform::Clock& clock() const override { return clock_; }
  void waitAtMost(quint32 ms) override;
  // The data server has found the device silent: the waiting call times out.
  void signalSilence() { silence_ = true; }
  // Waits that ended by a silent device.
  int silences() const { return silences_; }

 private:
  class Clock : public platform::Clock {
   public:
    qint64 nowMs() const override;
    qint64 epochMs() const override;
    std::atomic<qint64> skipped{0};
  };
  Clock clock_;
  std::atomic<bool> silence_{false};
  int silences_ = 0;
};

class SimNetwork {
 public:
  static constexpr char kNetworkName[] = "Demo";
  static constexpr char kSubsystem[] = "Routers";
  static constexpr char kLonMarkDevice[] = "RLX-LonMark";
  static constexpr char kExplicitDevice[] = "RLX-Explicit";

  SimNetwork();
  ~SimNetwork();
  SimNetwork(const SimNetwork&) = delete;
  SimNetwork& operator=(const SimNetwork&) = delete;

  // A scratch folder removed with the network.
  QString scratch() const;
  QString lonWorksPath() const { return lonWorks_; }
  lnssim::SimObjectServer& server() { return *server_; }
  std::shared_ptr<lnssim::SimObjectServer> serverPtr() { return server_; }

  // Devices of the subsystem "Routers", and LonMark objects of the LonMark router.
  lns::AppDevicePtr device(const QString& name) const;
  lns::AppDevicePtr lonMarkDevice() const { return device(QString::fromLatin1(kLonMarkDevice)); }
  lns::AppDevicePtr explicitDevice() const { return device(QString::fromLatin1(kExplicitDevice)); }
  lns::LonMarkObjectPtr lonMarkObject(const QString& name) const;
  // Adds an RLX router to "Routers" (firmware: the LonMark family's version).
  lns::AppDevicePtr addDevice(const QString& name, bool explicitFamily,
                              const QString& firmware = QStringLiteral("3.20"));

  // --- the simulated devices ---------------------------------------------------
  rlxsim::DeviceState state(const lns::AppDevicePtr& device);
  void change(const lns::AppDevicePtr& device, const std::function<void(rlxsim::DeviceState&)>& change);
  void setFault(const lns::AppDevicePtr& device, rlxsim::Fault fault);
  // modem: 0 internal, 1 external modem 1, 2 external modem 2.
  void setModem(const lns::AppDevicePtr& device, int modem, rlxsim::Presence presence);
  // The system's management mode: off-net (1) or on-net (0).
  void setOffNet(bool offNet);

  // --- scripted answers ----------------------------------------------------------
  // The request text as the windows write it ("00 01 53 00"); the reply as
  // the control returns it (decimal values separated by tabs).
  void scriptReply(const lns::AppDevicePtr& device, const QString& request, const QString& reply);
  void scriptFailure(const lns::AppDevicePtr& device, const QString& request);
  void scriptSilence(const lns::AppDevicePtr& device, const QString& request);
  void clearScripts();

  // Every explicit request written to the device, oldest first.
  QStringList sent(const lns::AppDevicePtr& device) const;
  void clearSent();
  // The simulator's log of what reached the device: request texts, and
  // "name=value" for variable and property writes.
  QStringList traffic(const lns::AppDevicePtr& device);

  // --- time -------------------------------------------------------------------
  // Moves the network clock forward and, unless told otherwise, lets the
  // Object Server raise its update event for what changed.
  void advance(qint64 ms, bool raiseUpdates = true);
  // The network time now, in epoch milliseconds.
  qint64 now();
  SimCompletionWait& completionWait() { return wait_; }

 private:
  qint64 rowOf(const lns::AppDevicePtr& device) const;

  std::unique_ptr<QTemporaryDir> dir_;
  QByteArray previousRegistryRoot_;
  QString lonWorks_;
  std::shared_ptr<lnssim::SimObjectServer> server_;
  std::shared_ptr<ScriptedEndpoint> endpoint_;
  SimCompletionWait wait_;
  QByteArray previousDataServer_;
};

}  // namespace testing_support
