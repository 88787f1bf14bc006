// phonebook_save_helper DATABASE ENTRY
//
// Saves a changed explicit phonebook (every entry gets the number "new<i>"
// and the description "new description <i>") into the network database
// DATABASE, through the plug-in's own save, against an in-process device.
// Right after field 1 of entry ENTRY has been written it prints "paused" and
// waits for its standard input to close, so that a test can kill it at that
// exact point and look at what the database kept.

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "host/mmain.h"
#include "lonworks/object_server/object_server.h"
#include "lonworks/object_server/rlx_devices.h"
#include "phonebook/phonebook_store.h"
#include "phonebook/testing/fake_phonebook_device.h"

namespace {

QString g_pauseRecord;

class PausingRecord : public lns::ExtensionRecord {
 public:
  explicit PausingRecord(lns::ExtensionRecordPtr inner) : inner_(std::move(inner)) {}
  QString Name() override { return inner_->Name(); }
  QString Field(int n) override { return inner_->Field(n); }
  void SetField(int n, const QString& text) override {
    inner_->SetField(n, text);
    if (n == 1 && inner_->Name() == g_pauseRecord) {
      std::fputs("paused\n", stdout);
      std::fflush(stdout);
      // Blocks until the test kills the process (or closes the pipe).
      while (std::fgetc(stdin) != EOF) {
      }
      std::_Exit(3);
    }
  }

 private:
  lns::ExtensionRecordPtr inner_;
};

class PausingRecords : public lns::ExtensionRecords {
 public:
  explicit PausingRecords(std::shared_ptr<lns::ExtensionRecords> inner) : inner_(std::move(inner)) {}
  lns::ExtensionRecordPtr Item(const QString& name) override { return wrap(inner_->Item(name)); }
  lns::ExtensionRecordPtr Add(const QString& name) override { return wrap(inner_->Add(name)); }
  qint32 Count() override { return inner_->Count(); }
  lns::ExtensionRecordPtr Item(qint32 index) override { return wrap(inner_->Item(index)); }

 private:
  static lns::ExtensionRecordPtr wrap(lns::ExtensionRecordPtr r) { return std::make_shared<PausingRecord>(std::move(r)); }
  std::shared_ptr<lns::ExtensionRecords> inner_;
};

class PausingDevice : public lns::AppDevice {
 public:
  explicit PausingDevice(lns::AppDevicePtr inner) : inner_(std::move(inner)) {}
  QString Name() override { return inner_->Name(); }
  qint32 Handle() override { return inner_->Handle(); }
  lns::DeviceInterfacePtr Interface() override { return inner_->Interface(); }
  lns::SubsystemPtr Subsystem() override { return inner_->Subsystem(); }
  QString ProgramId() override { return inner_->ProgramId(); }
  std::shared_ptr<lns::ExtensionRecords> Extensions() override {
    return std::make_shared<PausingRecords>(inner_->Extensions());
  }
  QString NeuronId() override { return inner_->NeuronId(); }
  void Test() override { inner_->Test(); }

 private:
  lns::AppDevicePtr inner_;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 3) {
    std::fputs("usage: phonebook_save_helper DATABASE ENTRY\n", stderr);
    return 2;
  }
  g_pauseRecord = phonebook::ExplicitEntryRecordName(args.at(2).toInt());
  try {
    lnssim::ServerOptions options;
    options.databasePath = args.at(1);
    auto server = std::make_shared<lnssim::SimObjectServer>(options);
    server->Open();
    MMain.ObjectServer = server;
    const lnssim::OpenedSystem sys = lnssim::openFirstSystem(*server, QStringLiteral("Phonebook"));
    auto device = std::make_shared<PausingDevice>(
        sys.system->Subsystems()->Item(QStringLiteral("Routers"))->AppDevices()->Item(QStringLiteral("RLX-Explicit")));
    phonebook::GridRows rows = phonebook::LoadExplicitRows(device, false);
    for (int i = 0; i < rows.size(); ++i)
      rows[i] = {QStringLiteral("new%1").arg(i), QStringLiteral("new description %1").arg(i)};
    phonebook_testing::FakePhonebookDevice rlx;
    phonebook::SaveExplicit(device, rows, rlx.sender());
  } catch (const lns::LnsError& e) {
    QTextStream(stderr) << e.description() << '\n';
    return 1;
  }
  std::fputs("saved\n", stdout);
  return 0;
}
