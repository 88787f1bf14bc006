// phonebook_save_helper DATABASE ENTRY [directory2]
//
// Saves a changed phonebook (every entry gets the number "new<i>" and the
// description "new description <i>") into the network database DATABASE,
// through the plug-in's own save: the explicit router's, against an
// in-process device, or with "directory2" the LonMark router's Directory #2.
// Right after field 1 of entry ENTRY's record has been written it prints
// "paused" and waits for its standard input to close, so that a test can
// kill it at that exact point and look at what the database kept.

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
  static lns::ExtensionRecordPtr wrap(lns::ExtensionRecordPtr r) {
    return std::make_shared<PausingRecord>(std::move(r));
  }
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
  if (args.size() != 3 && !(args.size() == 4 && args.at(3) == QLatin1String("directory2"))) {
    std::fputs("usage: phonebook_save_helper DATABASE ENTRY [directory2]\n", stderr);
    return 2;
  }
  const int entry = args.at(2).toInt();
  const bool lonMark = args.size() == 4;
  try {
    lnssim::ServerOptions options;
    options.databasePath = args.at(1);
    auto server = std::make_shared<lnssim::SimObjectServer>(options);
    server->Open();
    MMain.ObjectServer = server;
    const lnssim::OpenedSystem sys = lnssim::openFirstSystem(*server, QStringLiteral("Phonebook"));
    auto devices = sys.system->Subsystems()->Item(QStringLiteral("Routers"))->AppDevices();
    auto device = std::make_shared<PausingDevice>(
        devices->Item(lonMark ? QStringLiteral("RLX-LonMark") : QStringLiteral("RLX-Explicit")));
    auto fill = [](phonebook::GridRows& rows) {
      for (int i = 0; i < rows.size(); ++i)
        rows[i] = {QStringLiteral("new%1").arg(i), QStringLiteral("new description %1").arg(i)};
    };
    if (lonMark) {
      auto object = device->Interface()->LonMarkObjects()->Item(QStringLiteral("Directory #2"));
      const phonebook::LonMarkDirectory directory =
          phonebook::DirectoryOf(object, object->ConfigProperties()->Item(QStringLiteral("UCPT_DialString")));
      g_pauseRecord = directory.RecordName(entry);
      phonebook::GridRows rows = phonebook::LoadLonMarkRows(device, directory);
      fill(rows);
      phonebook::SaveLonMark(device, directory, rows);
    } else {
      g_pauseRecord = phonebook::ExplicitEntryRecordName(entry);
      phonebook::GridRows rows = phonebook::LoadExplicitRows(device, false);
      fill(rows);
      phonebook_testing::FakePhonebookDevice rlx;
      phonebook::SaveExplicit(device, rows, rlx.sender());
    }
  } catch (const lns::LnsError& e) {
    QTextStream(stderr) << e.description() << '\n';
    return 1;
  }
  std::fputs("saved\n", stdout);
  return 0;
}
