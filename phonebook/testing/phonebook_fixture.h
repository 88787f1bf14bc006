#pragma once
// Test surroundings for the phonebook: a simulated Object Server on a private
// LonWorks tree with one RLX of each family, the process-wide state pointing
// at it, a device runtime that can be made to fail, and a fake explicit
// device that keeps a phonebook.

#include <gtest/gtest.h>

#include <QSet>

#include "host/mmain.h"
#include "lonworks/object_server/rlx_devices.h"
#include "lonworks/object_server/test_network.h"
#include "phonebook/phonebook_model.h"
#include "phonebook/testing/fake_phonebook_device.h"
#include "tests/support/scripted_ui.h"

namespace phonebook_testing {

// Keeps what is written, like the default runtime, but can stop answering
// for chosen elements of configuration properties.
class FaultyRuntime : public lnssim::StoredValueRuntime {
 public:
  void writeCp(lnssim::RuntimeContext&, const lnssim::PointAccess& cp, const QString& value) override {
    if (failWrites.contains(cp.element))
      throw lns::LnsError(lns::kErrDeviceNoResponse,
                          QStringLiteral("The device did not answer writing element %1").arg(cp.element));
    written << QStringLiteral("%1[%2]=%3").arg(cp.name).arg(cp.element).arg(value);
  }
  QString readCp(lnssim::RuntimeContext&, const lnssim::PointAccess& cp) override {
    if (failReads)
      throw lns::LnsError(lns::kErrDeviceNoResponse, QStringLiteral("The device did not answer"));
    return cp.storedValue;
  }
  QSet<qint32> failWrites;
  bool failReads = false;
  QStringList written;
};

class PhonebookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MMain = MMainState{};
    runtime = std::make_shared<FaultyRuntime>();
    server = std::shared_ptr<lnssim::SimObjectServer>(tree.openServer(runtime).release());
    server->createNetwork(QStringLiteral("Phonebook"));
    sys = lnssim::openFirstSystem(*server, QStringLiteral("Phonebook"));
    const qint64 subsystem = server->createSubsystem(sys.systemId, QStringLiteral("Routers"));
    lnssim::RlxDevice d;
    d.subsystemId = subsystem;
    d.name = QStringLiteral("RLX-Explicit");
    d.family = lnssim::RlxFamily::Explicit;
    lnssim::addRlxDevice(*server, sys, d);
    d.name = QStringLiteral("RLX-LonMark");
    d.family = lnssim::RlxFamily::LonMark;
    lnssim::addRlxDevice(*server, sys, d);
    auto devices = sys.system->Subsystems()->Item(QStringLiteral("Routers"))->AppDevices();
    explicitDevice = devices->Item(QStringLiteral("RLX-Explicit"));
    lonMark = devices->Item(QStringLiteral("RLX-LonMark"));
    directory = lonMark->Interface()->LonMarkObjects()->Item(QStringLiteral("Directory #1"));
    dialString = directory->ConfigProperties()->Item(QStringLiteral("UCPT_DialString"));
    MMain.ObjectServer = server;
    MMain.CurrentNetwork = sys.network;
    MMain.CurrentSystem = sys.system;
  }
  void TearDown() override {
    SetShutdownProcedure(nullptr);
    MMain = MMainState{};
  }

  testing_support::ScriptedUi& ui() { return testing_support::scriptedUi(); }

  // The explicit device's records, written directly.
  void StoreExplicit(int index, const QString& number, const QString& description, const QString& loaded) {
    auto records = explicitDevice->Extensions();
    lns::ExtensionRecordPtr r;
    try {
      r = records->Item(phonebook::ExplicitEntryRecordName(index));
    } catch (const lns::LnsError&) {
      r = records->Add(phonebook::ExplicitEntryRecordName(index));
    }
    r->SetField(1, number);
    r->SetField(2, description);
    r->SetField(3, loaded);
  }
  // Fields 1 to 3 of an explicit record joined with "|".
  QString Explicit(int index) {
    auto r = explicitDevice->Extensions()->Item(phonebook::ExplicitEntryRecordName(index));
    return r->Field(1) + u'|' + r->Field(2) + u'|' + r->Field(3);
  }
  QString Marker() {
    return explicitDevice->Extensions()->Item(QString::fromLatin1(phonebook::kResyncMarkerName))->Field(1);
  }
  // The 64 records and the marker, all empty.
  void MakeExplicitRecords() {
    auto records = explicitDevice->Extensions();
    for (int i = 0; i < 64; ++i)
      if (!phonebook::RecordExists(*records, phonebook::ExplicitEntryRecordName(i)))
        records->Add(phonebook::ExplicitEntryRecordName(i));
    if (!phonebook::RecordExists(*records, QString::fromLatin1(phonebook::kResyncMarkerName)))
      records->Add(QString::fromLatin1(phonebook::kResyncMarkerName));
  }
  void MakeDescriptionRecords() {
    auto records = lonMark->Extensions();
    for (int i = 0; i < dialString->ElementCount(); ++i)
      if (!phonebook::RecordExists(*records, phonebook::DescriptionRecordName(i)))
        records->Add(phonebook::DescriptionRecordName(i));
  }
  QString Description(int index) {
    return lonMark->Extensions()->Item(phonebook::DescriptionRecordName(index))->Field(1);
  }

  lnssim::testing::LonWorksTree tree;
  std::shared_ptr<FaultyRuntime> runtime;
  std::shared_ptr<lnssim::SimObjectServer> server;
  lnssim::OpenedSystem sys;
  lns::AppDevicePtr explicitDevice;
  lns::AppDevicePtr lonMark;
  lns::LonMarkObjectPtr directory;
  lns::ConfigPropertyPtr dialString;
  FakePhonebookDevice device;
};

}  // namespace phonebook_testing
