// Several directors in one plug-in: each keeps its window, its router and a
// true answer, whatever the other does; and every call that cannot be served
// is answered at once with an error that says why.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QFile>
#include <QTimer>

#include "device_protocol/requests.h"
#include "host/automation_error.h"
#include "host/fregtemplate.h"
#include "host/lnspluginapi.h"
#include "host/template_registration.h"
#include "lonworks/object_server/rlx_devices.h"
#include "phonebook/phonebook_editor.h"
#include "windows/testing/window_fixture.h"

using namespace window_testing;

namespace {

// The number and description of the error a call raised; {0, ""} when none.
std::pair<qint32, QString> ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const AutomationError& e) {
    return {e.number(), e.description()};
  }
  return {0, QString()};
}

qint64 ProcessCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

class Directors : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    phonebook::RegisterPhoneBookWindow();  // as the program registers it
  }
  std::unique_ptr<LNSPlugInAPI> director(const QString& network = QString::fromLatin1(SimNetwork::kNetworkName),
                                         const QString& networkInterface = QString()) {
    auto api = std::make_unique<LNSPlugInAPI>();
    api->setNetworkInterfaceName(networkInterface);
    if (!network.isEmpty())
      api->setNetworkName(network);
    return api;
  }
  // A second network "Plant" with an explicit router RLX-Plant.
  void addPlant() {
    auto& server = net->server();
    server.createNetwork(QStringLiteral("Plant"));
    const lnssim::OpenedSystem plant = lnssim::openFirstSystem(server, QStringLiteral("Plant"));
    lnssim::RlxDevice d;
    d.subsystemId = server.createSubsystem(plant.systemId, QStringLiteral("Routers"));
    d.name = QStringLiteral("RLX-Plant");
    d.family = lnssim::RlxFamily::Explicit;
    lnssim::addRlxDevice(server, plant, d);
  }
  static QString PathOf(const char* device, const QString& object = QString()) {
    return QStringLiteral("Routers/") + QLatin1String(device) + (object.isEmpty() ? QString() : u'/' + object);
  }
};

TEST_F(Directors, AnAbandonedAttachHidesOnlyUntilTheNextAttach) {
  auto api = director();
  net->setFault(net->lonMarkDevice(), rlxsim::Fault::NoAnswer);
  answerConnectionError({"bCancel"});
  api->SendCommand(13, 28, PathOf("RLX-LonMark", MMain.InternalModemObjectName));
  ASSERT_TRUE(MMain.AttachAbandoned);
  api->setVisible(true);
  EXPECT_FALSE(main()->isVisible());

  api->SendCommand(13, 7, PathOf("RLX-Explicit"));
  api->setVisible(true);
  EXPECT_TRUE(explicitWindow()->isVisible());
  explicitWindow()->hide();
}

TEST_F(Directors, AWindowKeepsItsNetworkWhenAnotherDirectorOpensOne) {
  addPlant();
  auto first = director();
  first->SendCommand(13, 7, PathOf("RLX-Explicit"));
  first->setVisible(true);
  const lns::SystemPtr demo = MMain.CurrentSystem;
  const lns::AppDevicePtr router = net->explicitDevice();

  auto second = director(QStringLiteral("Plant"));
  ASSERT_NE(MMain.CurrentSystem, demo);
  net->server().setMgmtMode(lnssim::rowIdOf(MMain.CurrentSystem.get()), 1);  // Plant goes off-net
  // The first window still reaches its router on Demo, and Demo is on-net.
  fMainExplicit* w = explicitWindow();
  net->clearSent();
  const QString reply = w->Link().Send(device_protocol::PresenceProbe());
  EXPECT_FALSE(reply.startsWith(QLatin1String("Message"))) << reply.toStdString();
  EXPECT_EQ(net->sent(router).size(), 1);
  EXPECT_EQ(w->ManagementMode(), 0);
  w->hide();
}

TEST_F(Directors, RemoteWorkIsNeverReportedWhenItIsLocal) {
  net->server().addNetworkInterface(QStringLiteral("LON-Remote"));
  // Remote mode asked for on the network already open locally, no window shown: it switches.
  auto api = director(QString());
  api->setNetworkInterfaceName(QStringLiteral("LON-Remote"));
  api->setNetworkName(QString::fromLatin1(SimNetwork::kNetworkName));
  EXPECT_TRUE(api->Remote());
  api->setNetworkInterfaceName(QString());
  api->setNetworkName(QString::fromLatin1(SimNetwork::kNetworkName));
  EXPECT_FALSE(api->Remote());

  // While a window shows a router of the local network, a remote opening is refused.
  api->SendCommand(13, 7, PathOf("RLX-Explicit"));
  api->setVisible(true);
  auto other = director(QString());
  other->setNetworkInterfaceName(QStringLiteral("LON-Remote"));
  const auto [number, text] = ErrorOf([&] { other->setNetworkName(QString::fromLatin1(SimNetwork::kNetworkName)); });
  EXPECT_EQ(number, 20006);
  EXPECT_TRUE(text.startsWith(QStringLiteral("Cannot open the network Demo"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("locally"))) << text.toStdString();
  EXPECT_FALSE(api->Remote());
  EXPECT_TRUE(net->server().IsOpen());
  EXPECT_FALSE(explicitWindow()->Link().Send(device_protocol::PresenceProbe()).startsWith("Message"));
  explicitWindow()->hide();

  // An interface that does not exist is named in the error.
  other->setNetworkInterfaceName(QStringLiteral("LON-Nowhere"));
  const auto [badNumber, badText] = ErrorOf([&] { other->setNetworkName(QStringLiteral("Demo")); });
  EXPECT_EQ(badNumber, 20006);
  EXPECT_TRUE(badText.contains(QStringLiteral("LON-Nowhere"))) << badText.toStdString();
}

TEST_F(Directors, CallsThatCannotBeServedAreAnsweredAtOnceWithTheReason) {
  // A device of another maker beside the routers.
  {
    lnssim::NewDevice d;
    d.subsystemId = lnssim::rowIdOf(MMain.CurrentSystem->Subsystems()->Item(QStringLiteral("Routers")).get());
    d.name = QStringLiteral("Thermostat");
    d.programId = QStringLiteral("9000011234560101");
    net->server().createDevice(d);
  }
  struct Case {
    const char* what;
    std::function<void()> before;
    qint32 command;
    qint16 type;
    QString path;
    qint32 number;
    QString mentions;
  };
  const auto closeNetwork = [] {
    MMain.CurrentSystem.reset();
    MMain.CurrentNetwork.reset();
    MMain.CurrentNetworkName.clear();
    MMain.NetworkOpenedByPlugIn = false;
  };
  const auto forgetObjectNames = [this] {
    QFile::remove(net->lonWorksPath() + QStringLiteral("/Types/user/ZEV/Zev.enu"));
    attach::BuildPlugInCommandTable();
  };
  const Case cases[] = {
      {"the node object", nullptr, 13, 28, PathOf("RLX-LonMark", QStringLiteral("Node Object")), 20004, "Node Object"},
      {"a device of another maker", nullptr, 13, 7, PathOf("Thermostat"), 20004, "not an RLX router"},
      {"a modem without the object names", forgetObjectNames, 13, 28,
       PathOf("RLX-LonMark", QStringLiteral("Internal Modem")), 20004, "Zev.enu"},
      {"Configure before a network", closeNetwork, 13, 7, PathOf("RLX-Explicit"), 20006, "No network is open"},
      {"Register before a network", closeNetwork, 50, 0, QString(), 20006, "No network is open"},
  };
  SetRegisterCommandsHook(&template_registration::RegisterCommands);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto api = director();
    if (c.before)
      c.before();
    scriptedUi().clear();
    const auto [number, text] = ErrorOf([&] { api->SendCommand(c.command, c.type, c.path); });
    EXPECT_EQ(number, c.number);
    EXPECT_TRUE(text.contains(c.mentions)) << text.toStdString();
    EXPECT_TRUE(scriptedUi().boxes().isEmpty()) << scriptedUi().boxTexts().join(" | ").toStdString();
    EXPECT_TRUE(scriptedUi().modalsShown().isEmpty()) << scriptedUi().modalsShown().join(" | ").toStdString();
    EXPECT_TRUE(prompts.isEmpty());
    EXPECT_FALSE(AnyPlugInWindowVisible());
    if (!MMain.NetworkOpenedByPlugIn)
      attach::OpenNetwork(QString::fromLatin1(SimNetwork::kNetworkName), QString());
  }
  SetRegisterCommandsHook(nullptr);
}

TEST_F(Directors, OneRegistrationAtATimeWaitingWithoutSpinning) {
  SetRegisterCommandsHook(&template_registration::RegisterCommands);
  auto first = director();
  auto second = director();
  std::pair<qint32, QString> secondAnswer;
  int dialogs = 0;
  qint64 cpuWhileWaiting = -1;
  // While the first registration waits for the operator, the second director asks too.
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      dialogs += qobject_cast<fRegTemplate*>(w) && w->isVisible();
    secondAnswer = ErrorOf([&] { second->SendCommand(50, 0, QString()); });
    for (QWidget* w : QApplication::topLevelWidgets())
      dialogs += qobject_cast<fRegTemplate*>(w) && w->isVisible() ? 10 : 0;
  });
  const qint64 cpuBefore = ProcessCpuMs();
  QTimer::singleShot(300, [&] {
    cpuWhileWaiting = ProcessCpuMs() - cpuBefore;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<fRegTemplate*>(w); d && d->isVisible())
        d->CmdOk->click();
  });
  EXPECT_EQ(ErrorOf([&] { first->SendCommand(50, 0, QString()); }).first, 0);
  EXPECT_EQ(dialogs, 11);  // one dialog, also after the second director's call
  EXPECT_EQ(secondAnswer.first, 20006);
  EXPECT_TRUE(secondAnswer.second.contains(QStringLiteral("in progress"))) << secondAnswer.second.toStdString();
  // Waiting 300 ms for the operator costs next to nothing.
  EXPECT_GE(cpuWhileWaiting, 0);
  EXPECT_LT(cpuWhileWaiting, 60);
  // The first registration went through; the second director may now register.
  EXPECT_TRUE(MMain.CurrentSystem->DeviceTemplates()->ItemByName(QStringLiteral("Rlxtlc32")));
  SetRegisterCommandsHook(nullptr);
}

}  // namespace
