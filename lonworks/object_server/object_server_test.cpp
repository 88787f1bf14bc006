#include "lonworks/object_server/object_server.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include "lonworks/object_server/test_network.h"
#include "platform/registry.h"

namespace lnssim {
namespace {

using testing::DemoNetwork;
using testing::errorOf;
using testing::LonWorksTree;

// A runtime that records what reaches it and can stop answering.
class RecordingRuntime : public StoredValueRuntime {
 public:
  QString readNv(RuntimeContext& ctx, const PointAccess& nv) override {
    check(nv);
    return StoredValueRuntime::readNv(ctx, nv);
  }
  void writeNv(RuntimeContext&, const PointAccess& nv, const QString& value) override {
    check(nv);
    written << nv.name + u'=' + value;
  }
  QString readCp(RuntimeContext& ctx, const PointAccess& cp) override {
    check(cp);
    return StoredValueRuntime::readCp(ctx, cp);
  }
  void writeCp(RuntimeContext&, const PointAccess& cp, const QString& value) override {
    check(cp);
    written << QStringLiteral("%1[%2]=%3").arg(cp.name).arg(cp.element).arg(value);
  }
  void test(RuntimeContext&, const DeviceIdentity& d) override {
    tested << d.name;
    if (silent)
      throw lns::LnsError(lns::kErrDeviceNoResponse, QStringLiteral("no answer"));
  }
  void poll(RuntimeContext& ctx) override {
    ++polls;
    if (onPoll)
      onPoll(ctx);
  }

  bool silent = false;
  QList<PointAccess> accesses;
  QStringList written, tested;
  int polls = 0;
  std::function<void(RuntimeContext&)> onPoll;

 private:
  void check(const PointAccess& a) {
    accesses << a;
    if (silent)
      throw lns::LnsError(lns::kErrDeviceNoResponse, QStringLiteral("%1 does not answer").arg(a.device.name));
  }
};

class ObjectServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime = std::make_shared<RecordingRuntime>();
    server = tree.openServer(runtime);
    demo = std::make_unique<DemoNetwork>(*server);
  }
  LonWorksTree tree;
  std::shared_ptr<RecordingRuntime> runtime;
  std::unique_ptr<SimObjectServer> server;
  std::unique_ptr<DemoNetwork> demo;
};

TEST_F(ObjectServerTest, LooksUpByNameAndNumberAndNamesWhatIsMissing) {
  auto networks = server->Networks();
  EXPECT_EQ(networks->Count(), 1);
  EXPECT_EQ(networks->Item(1)->Name(), QStringLiteral("Demo"));
  EXPECT_EQ(errorOf([&] { networks->Item(QStringLiteral("demo")); }, lns::kErrNotFound),
            QStringLiteral("Object not found: network demo"));
  errorOf([&] { networks->Item(2); }, lns::kErrNotFound);
  errorOf([&] { networks->Item(0); }, lns::kErrNotFound);

  auto subsystems = demo->sys.system->Subsystems();
  EXPECT_EQ(subsystems->Item(1)->Name(), QStringLiteral("Routers"));
  auto devices = demo->routers->AppDevices();
  EXPECT_EQ(devices->Count(), 2);
  EXPECT_EQ(devices->Item(2)->Name(), QStringLiteral("RLX-Explicit"));
  EXPECT_EQ(errorOf([&] { devices->Item(QStringLiteral("RLX-Missing")); }, lns::kErrNotFound),
            QStringLiteral("Object not found: Routers/RLX-Missing"));
  EXPECT_EQ(errorOf([&] { demo->object(QStringLiteral("Modem")); }, lns::kErrNotFound),
            QStringLiteral("Object not found: Routers/RLX-LonMark/Modem"));
  EXPECT_EQ(
      errorOf([&] { demo->object(QStringLiteral("Internal Modem"))->NetworkVariables()->Item(QStringLiteral("nvoX")); },
              lns::kErrNotFound),
      QStringLiteral("Object not found: Routers/RLX-LonMark/Internal Modem/nvoX"));
}

TEST_F(ObjectServerTest, DevicesCarryTheirIdentityInterfaceAndOwnerChain) {
  auto d = demo->lonMark;
  EXPECT_EQ(d->Handle(), 1);
  EXPECT_EQ(demo->explicitDevice->Handle(), 2);
  EXPECT_EQ(d->ProgramId(), QStringLiteral("800060325B080932"));
  EXPECT_EQ(demo->explicitDevice->ProgramId(), QStringLiteral("524C580000000000"));
  EXPECT_EQ(d->NeuronId().size(), 12);
  EXPECT_EQ(d->NeuronId(), d->NeuronId().toUpper());
  EXPECT_NE(d->NeuronId(), demo->explicitDevice->NeuronId());
  EXPECT_EQ(d->Subsystem()->Name(), QStringLiteral("Routers"));

  auto objects = d->Interface()->LonMarkObjects();
  ASSERT_EQ(objects->Count(), 7);
  EXPECT_EQ(objects->Item(5)->Name(), QStringLiteral("Directory #1"));  // item n is index n-1
  auto modem = objects->Item(QStringLiteral("External Modem #2"));
  EXPECT_EQ(modem->Index(), 3);
  EXPECT_EQ(modem->DisplayName(), QStringLiteral("External Modem #2"));
  EXPECT_EQ(modem->Device()->Name(), QStringLiteral("RLX-LonMark"));
  EXPECT_EQ(rowIdOf(modem->Device()), rowIdOf(d));
  errorOf([&] { modem->ComponentApps(); }, lns::kErrNotFound);

  EXPECT_EQ(d->Interface()->NetworkVariables()->Count(), 13);
  EXPECT_EQ(demo->explicitDevice->Interface()->LonMarkObjects()->Count(), 1);
  EXPECT_EQ(demo->explicitDevice->Interface()->NetworkVariables()->Count(), 0);
  EXPECT_EQ(demo->sys.system->DataServerHandle(), rowIdOf(demo->sys.system));
  EXPECT_EQ(demo->sys.system->ImportDirectory(), tree.root + QStringLiteral("/Import"));
}

TEST_F(ObjectServerTest, NetworkVariablesGoThroughTheDeviceRuntime) {
  auto product = demo->lonMark->Interface()->NetworkVariables()->Item(QStringLiteral("nvoProductName"));
  EXPECT_EQ(product->Value(), QStringLiteral("RLX-LonMark 3.20"));
  ASSERT_EQ(runtime->accesses.size(), 1);
  const PointAccess& a = runtime->accesses.front();
  EXPECT_EQ(a.kind, PointAccess::Kind::NetworkVariable);
  EXPECT_EQ(a.device.name, QStringLiteral("RLX-LonMark"));
  EXPECT_EQ(a.device.subsystemName, QStringLiteral("Routers"));
  EXPECT_EQ(a.device.programId, QStringLiteral("800060325B080932"));
  EXPECT_EQ(a.device.systemId, rowIdOf(demo->sys.system));
  EXPECT_EQ(a.objectIndex, 0);
  EXPECT_EQ(a.objectName, QStringLiteral("Node Object"));

  auto dial = demo->object(QStringLiteral("Internal Modem"))->NetworkVariables()->Item(QStringLiteral("nviDialStr1"));
  dial->SetValue(QStringLiteral("5551234"));
  EXPECT_EQ(runtime->written, QStringList{QStringLiteral("nviDialStr1=5551234")});
  EXPECT_EQ(dial->Value(), QStringLiteral("5551234"));
  EXPECT_EQ(runtime->accesses.back().storedValue, QStringLiteral("5551234"));

  runtime->silent = true;
  EXPECT_TRUE(errorOf([&] { product->Value(); }, lns::kErrDeviceNoResponse).contains(QStringLiteral("RLX-LonMark")));
  errorOf([&] { dial->SetValue(QStringLiteral("999")); }, lns::kErrDeviceNoResponse);
  errorOf([&] { demo->lonMark->Test(); }, lns::kErrDeviceNoResponse);
  runtime->silent = false;
  EXPECT_EQ(dial->Value(), QStringLiteral("5551234"));  // a write that did not arrive is not kept
  demo->lonMark->Test();
  EXPECT_EQ(runtime->tested, (QStringList{"RLX-LonMark", "RLX-LonMark"}));
  errorOf([&] { dial->SetValue(QStringLiteral("line\nbreak")); }, lns::kErrInvalidValue);
}

TEST_F(ObjectServerTest, ConfigurationPropertiesHoldTextAndElements) {
  auto modem = demo->object(QStringLiteral("Internal Modem"));
  auto mode = modem->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"));
  EXPECT_EQ(mode->ElementCount(), 1);
  EXPECT_EQ(mode->Value(), QStringLiteral("MANUAL,0,0,0,0,0,0,0,0,0,0"));
  mode->SetValue(QStringLiteral("MANUAL,4,0,0,0,0,0,0,0,0,0"));
  EXPECT_EQ(mode->Value(), QStringLiteral("MANUAL,4,0,0,0,0,0,0,0,0,0"));
  EXPECT_EQ(mode->Element(0), mode->Value());
  // Each modem object has its own property of that name.
  EXPECT_EQ(demo->object(QStringLiteral("External Modem #1"))
                ->ConfigProperties()
                ->Item(QStringLiteral("UCPT_DialMode"))
                ->Value(),
            QStringLiteral("MANUAL,0,0,0,0,0,0,0,0,0,0"));

  auto dial = demo->object(QStringLiteral("Directory #1"))->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
  ASSERT_EQ(dial->ElementCount(), 16);
  dial->SetElement(15, QStringLiteral("9,5551234"));
  dial->SetElement(0, QStringLiteral("say \"hi\""));
  EXPECT_EQ(dial->Element(15), QStringLiteral("9,5551234"));
  EXPECT_EQ(runtime->written.back(), QStringLiteral("UCPT_DialString[0]=say \"hi\""));
  EXPECT_EQ(runtime->accesses.back().elementCount, 16);
  EXPECT_EQ(errorOf([&] { dial->Element(16); }, lns::kErrIndexRange),
            QStringLiteral(
                "Element 16 is outside Routers/RLX-LonMark/Directory #1/UCPT_DialString, which has elements 0 to 15"));
  errorOf([&] { dial->SetElement(-1, QStringLiteral("x")); }, lns::kErrIndexRange);

  // The whole array reads and writes as quoted texts, commas kept inside them.
  const QString whole = dial->Value();
  EXPECT_TRUE(whole.startsWith(QStringLiteral("\"say \\\"hi\\\"\",\"\","))) << whole.toStdString();
  EXPECT_TRUE(whole.endsWith(QStringLiteral(",\"9,5551234\""))) << whole.toStdString();
  auto other =
      demo->object(QStringLiteral("Directory #2"))->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
  other->SetValue(whole);
  EXPECT_EQ(other->Element(0), QStringLiteral("say \"hi\""));
  EXPECT_EQ(other->Element(15), QStringLiteral("9,5551234"));
  errorOf([&] { other->SetValue(QStringLiteral("5551234")); }, lns::kErrInvalidValue);
  errorOf([&] { other->SetValue(QStringLiteral("\"a\",\"b\"")); }, lns::kErrInvalidValue);

  runtime->silent = true;
  errorOf([&] { dial->Element(15); }, lns::kErrDeviceNoResponse);
  errorOf([&] { dial->SetElement(3, QStringLiteral("1")); }, lns::kErrDeviceNoResponse);
  runtime->silent = false;
  EXPECT_EQ(dial->Element(3), QString());
}

TEST_F(ObjectServerTest, ExtensionRecordsAreKeptPerDeviceByName) {
  auto records = demo->lonMark->Extensions();
  EXPECT_EQ(errorOf([&] { records->Item(QStringLiteral("ZevPhoneBook0")); }, lns::kErrNotFound),
            QStringLiteral("Object not found: extension record ZevPhoneBook0 of Routers/RLX-LonMark"));
  auto r0 = records->Add(QStringLiteral("ZevPhoneBook0"));
  records->Add(QStringLiteral("ZevPhoneBook1"));
  errorOf([&] { records->Add(QStringLiteral("ZevPhoneBook0")); }, lns::kErrNameInUse);
  EXPECT_EQ(r0->Field(1), QString());
  r0->SetField(1, QStringLiteral("Head office"));
  r0->SetField(3, QStringLiteral("third"));
  auto again = demo->lonMark->Extensions()->Item(QStringLiteral("ZevPhoneBook0"));
  EXPECT_EQ(again->Field(1), QStringLiteral("Head office"));
  EXPECT_EQ(again->Field(2), QString());
  EXPECT_EQ(again->Field(3), QStringLiteral("third"));
  errorOf([&] { again->Field(4); }, lns::kErrIndexRange);
  errorOf([&] { again->SetField(0, QString()); }, lns::kErrIndexRange);
  EXPECT_EQ(records->Count(), 2);
  EXPECT_EQ(records->Item(2)->Name(), QStringLiteral("ZevPhoneBook1"));
  // Another device has its own records.
  errorOf([&] { demo->explicitDevice->Extensions()->Item(QStringLiteral("ZevPhoneBook0")); }, lns::kErrNotFound);
  demo->explicitDevice->Extensions()->Add(QStringLiteral("ZevPhoneBook0"));
}

TEST_F(ObjectServerTest, MembersNeedTheServerNetworkAndSystemOpen) {
  auto device = demo->lonMark;
  auto records = device->Extensions();
  auto network = demo->sys.network;
  auto system = demo->sys.system;
  EXPECT_TRUE(system->IsOpen());
  system->Close();
  EXPECT_FALSE(system->IsOpen());
  errorOf([&] { device->Name(); }, lns::kErrNotOpen);
  errorOf([&] { system->Subsystems(); }, lns::kErrNotOpen);
  errorOf([&] { system->MgmtMode(); }, lns::kErrNotOpen);
  system->Open();
  EXPECT_EQ(device->Name(), QStringLiteral("RLX-LonMark"));

  network->Close();  // closes its systems too
  EXPECT_FALSE(network->IsOpen());
  EXPECT_FALSE(system->IsOpen());
  errorOf([&] { network->Systems(); }, lns::kErrNotOpen);
  errorOf([&] { system->Open(); }, lns::kErrNotOpen);
  network->Open();
  system->Open();

  server->Close();
  EXPECT_FALSE(server->IsOpen());
  EXPECT_FALSE(network->IsOpen());
  errorOf([&] { server->Networks(); }, lns::kErrNotOpen);
  errorOf([&] { server->componentApps(); }, lns::kErrNotOpen);
  errorOf([&] { records->Item(QStringLiteral("x")); }, lns::kErrNotOpen);
  server->Open();
  EXPECT_FALSE(network->IsOpen());
  network->Open();
  system->Open();
  EXPECT_EQ(device->Handle(), 1);
}

// Reports name the database: the file open, or the one an opening would try.
TEST_F(ObjectServerTest, TheDatabaseLocationIsTheFileOpenOrTheOneTheRegistryNames) {
  const QString file = QFileInfo(tree.databasePath()).canonicalFilePath();
  EXPECT_EQ(QFileInfo(server->DatabaseLocation()).canonicalFilePath(), file);
  server->Close();
  EXPECT_EQ(QFileInfo(server->DatabaseLocation()).canonicalFilePath(), file);
  ServerOptions elsewhere;
  elsewhere.databasePath = "/nowhere/lns.db";
  EXPECT_EQ(SimObjectServer(elsewhere).DatabaseLocation(), "/nowhere/lns.db");
  platform::Registry::deleteValue(platform::Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path");
  EXPECT_EQ(server->DatabaseLocation(), "");
}

TEST_F(ObjectServerTest, OffNetKeepsDevicesOutOfReach) {
  auto modem = demo->object(QStringLiteral("Internal Modem"));
  auto stat = modem->NetworkVariables()->Item(QStringLiteral("nvoCnctStat1"));
  auto mode = modem->ConfigProperties()->Item(QStringLiteral("UCPT_DialMode"));
  EXPECT_EQ(demo->sys.system->MgmtMode(), 0);
  server->setMgmtMode(demo->sys.systemId, 1);
  EXPECT_EQ(demo->sys.system->MgmtMode(), 1);
  runtime->accesses.clear();
  errorOf([&] { stat->Value(); }, kErrOffNet);
  errorOf([&] { stat->SetValue(QStringLiteral("x")); }, kErrOffNet);
  errorOf([&] { demo->lonMark->Test(); }, kErrOffNet);
  // Properties live on in the database while off-net.
  mode->SetValue(QStringLiteral("PERPETUAL,3,0,0,0,0,0,0,0,0,0"));
  EXPECT_EQ(mode->Value(), QStringLiteral("PERPETUAL,3,0,0,0,0,0,0,0,0,0"));
  EXPECT_TRUE(runtime->accesses.isEmpty());
  server->setMgmtMode(demo->sys.systemId, 0);
  EXPECT_EQ(stat->Value(), QStringLiteral("TEL_NOTINUSE"));
  errorOf([&] { server->setMgmtMode(demo->sys.systemId, 2); }, lns::kErrInvalidValue);
}

TEST_F(ObjectServerTest, RemoteModeNeedsAnActiveNetworkInterface) {
  server->addNetworkInterface(QStringLiteral("LON1"));
  errorOf([&] { server->addNetworkInterface(QStringLiteral("LON1")); }, lns::kErrNameInUse);
  errorOf([&] { server->setRemoteFlag(true); }, kErrServerOpen);
  auto ni = server->NetworkInterfaces()->Item(QStringLiteral("LON1"));
  errorOf([&] { server->setActiveRemoteNI(ni); }, lns::kErrInvalidValue);  // not remote
  errorOf([&] { server->NetworkInterfaces()->Item(QStringLiteral("LON2")); }, lns::kErrNotFound);

  server->Close();
  server->setRemoteFlag(true);
  EXPECT_TRUE(server->remoteFlag());
  server->setSingleUserMode(false);
  server->Open();
  auto network = server->Networks()->Item(QStringLiteral("Demo"));
  EXPECT_TRUE(errorOf([&] { network->Open(); }, lns::kErrNotOpen).contains(QStringLiteral("remote")));
  EXPECT_EQ(server->ActiveRemoteNI(), nullptr);
  server->setActiveRemoteNI(server->NetworkInterfaces()->Item(QStringLiteral("LON1")));
  EXPECT_EQ(server->ActiveRemoteNI()->Name(), QStringLiteral("LON1"));
  network->Open();
  EXPECT_TRUE(network->IsOpen());
  server->Close();
  server->setRemoteFlag(false);
  server->Open();
  EXPECT_EQ(server->ActiveRemoteNI(), nullptr);
}

TEST_F(ObjectServerTest, CreatingDevicesChecksNamesHandlesAndIdentifiers) {
  const qint64 sub = rowIdOf(demo->routers);
  NewDevice d;
  d.subsystemId = sub;
  d.name = QStringLiteral("Other");
  d.programId = QStringLiteral("8000603255080932");
  d.neuronId = QStringLiteral("00a1b2c3d4e5");
  d.handle = 40;
  server->createDevice(d);
  auto other = demo->routers->AppDevices()->Item(QStringLiteral("Other"));
  EXPECT_EQ(other->NeuronId(), QStringLiteral("00A1B2C3D4E5"));
  EXPECT_EQ(other->Handle(), 40);
  EXPECT_EQ(other->Interface()->LonMarkObjects()->Count(), 0);

  auto attempt = [&](auto change, qint32 number) {
    NewDevice n = d;
    n.name = QStringLiteral("Another");
    n.neuronId = QStringLiteral("00A1B2C3D4E6");
    n.handle = 41;
    change(n);
    errorOf([&] { server->createDevice(n); }, number);
  };
  attempt([](NewDevice& n) { n.name = QStringLiteral("Other"); }, lns::kErrNameInUse);
  attempt([](NewDevice& n) { n.handle = 40; }, lns::kErrNameInUse);
  attempt([](NewDevice& n) { n.neuronId = QStringLiteral("00a1b2c3d4e5"); }, lns::kErrNameInUse);
  attempt([](NewDevice& n) { n.neuronId = QStringLiteral("XYZ"); }, lns::kErrInvalidValue);
  attempt([](NewDevice& n) { n.programId = QStringLiteral("80006032"); }, lns::kErrInvalidValue);
  attempt([](NewDevice& n) { n.name = QStringLiteral("a/b"); }, lns::kErrInvalidValue);
  attempt([](NewDevice& n) { n.name = QString(); }, lns::kErrInvalidValue);
  // A failed batch adds nothing.
  NewDevice ok = d;
  ok.name = QStringLiteral("Fine");
  ok.neuronId.clear();
  ok.handle.reset();
  NewDevice bad = ok;
  bad.name = QStringLiteral("Other");
  errorOf([&] { server->createDevices({ok, bad}); }, lns::kErrNameInUse);
  EXPECT_EQ(demo->routers->AppDevices()->Count(), 3);
  // Without a handle, the next one after the highest.
  server->createDevice(ok);
  EXPECT_EQ(demo->routers->AppDevices()->Item(QStringLiteral("Fine"))->Handle(), 41);
}

TEST_F(ObjectServerTest, TwoServersOnOneFileSeeEachOthersChanges) {
  auto second = tree.openServer();
  DemoNetwork view(*second);
  EXPECT_EQ(view.lonMark->NeuronId(), demo->lonMark->NeuronId());
  demo->lonMark->Extensions()->Add(QStringLiteral("ZevExplicitResync"))->SetField(1, QStringLiteral("1"));
  EXPECT_EQ(view.lonMark->Extensions()->Item(QStringLiteral("ZevExplicitResync"))->Field(1), QStringLiteral("1"));
  view.object(QStringLiteral("Device Globals"))
      ->ConfigProperties()
      ->Item(QStringLiteral("UCPT_RingMode"))
      ->SetValue(QStringLiteral("Enable,5,2000,10000"));
  EXPECT_EQ(demo->object(QStringLiteral("Device Globals"))
                ->ConfigProperties()
                ->Item(QStringLiteral("UCPT_RingMode"))
                ->Value(),
            QStringLiteral("Enable,5,2000,10000"));
}

TEST_F(ObjectServerTest, UpdateEventRaisesChangedVariablesAtTheInterval) {
  QList<std::tuple<qint32, QString, QString>> events;
  server->setUpdateHandler([&](qint32 code, const QString& value, lns::ObjectPtr object) {
    auto nv = std::dynamic_pointer_cast<lns::NetworkVariable>(object);
    events.append({code, value, nv ? nv->Name() : QStringLiteral("?")});
  });
  // Nothing happens before an interval is set.
  demo->object(QStringLiteral("Internal Modem"))
      ->NetworkVariables()
      ->Item(QStringLiteral("nvoCnctStat1"))
      ->SetValue(QStringLiteral("TEL_OFFHOOK"));
  server->pollUpdates();
  EXPECT_TRUE(events.isEmpty());
  EXPECT_EQ(runtime->polls, 0);

  demo->sys.system->SetEventInterval(200);
  EXPECT_EQ(server->eventInterval(), 200);
  EXPECT_TRUE(server->eventTimerActive());
  server->pollUpdates();  // changes from before the interval are not replayed
  EXPECT_TRUE(events.isEmpty());
  EXPECT_EQ(runtime->polls, 1);

  // A change by another process (its own connection) is seen.
  auto other = tree.openServer();
  DemoNetwork view(*other);
  view.object(QStringLiteral("Internal Modem"))
      ->NetworkVariables()
      ->Item(QStringLiteral("nvoCnctStat1"))
      ->SetValue(QStringLiteral("TEL_DIALING"));
  // Writing the value a variable already has is no change.
  view.object(QStringLiteral("Internal Modem"))
      ->NetworkVariables()
      ->Item(QStringLiteral("nvoCnctStr1"))
      ->SetValue(QString());
  server->pollUpdates();
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events[0], std::make_tuple(1, QStringLiteral("TEL_DIALING"), QStringLiteral("nvoCnctStat1")));
  server->pollUpdates();
  EXPECT_EQ(events.size(), 1);

  // A device model reports through the context at its poll.
  const qint64 device = rowIdOf(demo->lonMark);
  runtime->onPoll = [device](RuntimeContext& ctx) {
    ctx.storeNvValue(device, QStringLiteral("nvoCnctStat2"), QStringLiteral("TEL_RINGING"));
  };
  server->pollUpdates();
  ASSERT_EQ(events.size(), 2);
  EXPECT_EQ(std::get<2>(events[1]), QStringLiteral("nvoCnctStat2"));
  runtime->onPoll = nullptr;

  // Variables of systems this server has not open raise nothing; closing stops the timer.
  demo->sys.system->Close();
  EXPECT_FALSE(server->eventTimerActive());
  view.object(QStringLiteral("Internal Modem"))
      ->NetworkVariables()
      ->Item(QStringLiteral("nvoCnctStat1"))
      ->SetValue(QStringLiteral("TEL_TALKING"));
  server->pollUpdates();
  EXPECT_EQ(events.size(), 2);
  demo->sys.system->Open();
  demo->sys.system->SetEventInterval(0);
  EXPECT_FALSE(server->eventTimerActive());
}

TEST_F(ObjectServerTest, ServerAndSystemComponentApplications) {
  auto apps = server->componentApps();
  auto a = apps->Add(QStringLiteral("RLX_Plug"), QStringLiteral("RLX_Plug.LNSPlugInAPI"), 7);
  errorOf([&] { apps->Add(QStringLiteral("RLX_Plug"), QStringLiteral("x"), 7); }, lns::kErrNameInUse);
  a->SetCommandCode(13);
  a->SetCommandText(QStringLiteral("Configure RLX_Plug"));
  a->SetVersion(QStringLiteral("2.10b"));
  a->SetManufacturerId(QStringLiteral("60"));
  a->SetDefaultAction(true);
  auto b = server->componentApps()->Item(1);
  EXPECT_EQ(b->Name(), QStringLiteral("RLX_Plug"));
  EXPECT_EQ(b->ProgramId(), QStringLiteral("RLX_Plug.LNSPlugInAPI"));
  EXPECT_EQ(b->ObjectType(), 7);
  EXPECT_EQ(b->CommandCode(), 13);
  EXPECT_EQ(b->CommandText(), QStringLiteral("Configure RLX_Plug"));
  EXPECT_EQ(b->Version(), QStringLiteral("2.10b"));
  EXPECT_EQ(b->ManufacturerId(), QStringLiteral("60"));
  EXPECT_TRUE(b->DefaultAction());
  // Scope 2 is the system's own list.
  auto sysApps = demo->sys.system->ComponentApps();
  EXPECT_EQ(sysApps->Count(), 0);
  sysApps->Add(QStringLiteral("RLX_Plug"), QStringLiteral("RLX_Plug.LNSPlugInAPI"), 28);
  EXPECT_EQ(sysApps->Item(QStringLiteral("RLX_Plug"))->ObjectType(), 28);
  EXPECT_EQ(server->componentApps()->Count(), 1);
}

}  // namespace
}  // namespace lnssim
