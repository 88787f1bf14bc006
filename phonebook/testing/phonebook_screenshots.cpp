// phonebook_screenshots FOLDER
//
// Draws the phonebook editor of each family and the print dialog, filled
// with a few sample entries, into FOLDER as fPhoneBook_explicit.png,
// fPhoneBook_lonmark.png and fPrint.png (offscreen; for the documentation).

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "host/mmain.h"
#include "lonworks/object_server/rlx_devices.h"
#include "phonebook/fphonebook.h"
#include "phonebook/fprint.h"
#include "phonebook/phonebook_store.h"
#include "platform/registry.h"
#include "platform/ui_services.h"

namespace {

struct Entry {
  int index;
  const char* number;
  const char* description;
};
const Entry kEntries[] = {
    {0, "9,18005550100", "Head office, Zürich"},         {1, "5551234", "Depot North"},
    {3, "P9,5550199", "Pumping station 3 (pulse line)"}, {4, "(555) 010-4477", "Night line"},
    {7, "9W*70,5553300", "Substation \"East\""},
};

bool save(QWidget* w, const QString& file) {
  w->show();
  QApplication::processEvents();
  const bool ok = w->grab().save(file);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (app.arguments().size() != 2) {
    std::fputs("usage: phonebook_screenshots FOLDER\n", stderr);
    return 2;
  }
  const QString out = app.arguments().at(1);
  QDir().mkpath(out);
  QTemporaryDir dir;
  qputenv("RLX_REGISTRY_ROOT", (dir.path() + "/registry").toUtf8());
  const QString lon = dir.path() + "/LonWorks";
  QDir().mkpath(lon + "/Import");
  for (const char* f : {"Rlxtlc32.xif", "Rlxtlc20.xif"})
    QFile::copy(QStringLiteral(RLX_SOURCE_DIR "/resources/xif/") + f, lon + "/Import/" + f);
  platform::Registry::setValue(platform::Hive::LocalMachine, "SOFTWARE\\LonWorks", "LonWorks Path", lon);

  lnssim::ServerOptions o;
  o.createIfMissing = true;
  auto server = std::make_shared<lnssim::SimObjectServer>(o);
  server->Open();
  lnssim::ensureDemoNetwork(*server);
  const lnssim::OpenedSystem sys = lnssim::openFirstSystem(*server, "Demo");
  MMain.ObjectServer = server;
  MMain.CurrentSystem = sys.system;
  auto devices = sys.system->Subsystems()->Item("Routers")->AppDevices();
  auto explicitDevice = devices->Item("RLX-Explicit");
  auto lonMark = devices->Item("RLX-LonMark");

  bool ok = true;
  {
    phonebook::EnsureExplicitRecords(explicitDevice);
    auto records = explicitDevice->Extensions();
    for (const Entry& e : kEntries) {
      auto r = records->Item(phonebook::ExplicitEntryRecordName(e.index));
      r->SetField(1, QString::fromUtf8(e.number));
      r->SetField(2, QString::fromUtf8(e.description));
    }
    MMain.ExplicitFamily = 1;
    phonebook::fPhoneBook editor;
    editor.GetDeviceObject(explicitDevice);
    ok = save(&editor, out + "/fPhoneBook_explicit.png") && ok;

    phonebook::fPrint print(&editor);
    print.GetDevice(explicitDevice);
    ok = save(&print, out + "/fPrint.png") && ok;
  }
  {
    auto directory = lonMark->Interface()->LonMarkObjects()->Item("Directory #1");
    auto dialString = directory->ConfigProperties()->Item("UCPT_DialString");
    phonebook::CreateDescriptionRecordsWith(lonMark, dialString->ElementCount());
    auto records = lonMark->Extensions();
    for (const Entry& e : kEntries) {
      dialString->SetElement(e.index, QString::fromUtf8(e.number));
      records->Item(phonebook::DescriptionRecordName(e.index))->SetField(1, QString::fromUtf8(e.description));
    }
    MMain.ExplicitFamily = 0;
    phonebook::fPhoneBook editor;
    editor.GetObjects(lonMark, directory, directory, dialString);
    editor.show();
    // The operator at work: the description of entry 3 being edited.
    editor.MSFlexGrid->SetRow(4);
    editor.MSFlexGrid->SetCol(2);
    editor.PlaceOverlay();
    ok = save(&editor, out + "/fPhoneBook_lonmark.png") && ok;
  }
  return ok ? 0 : 1;
}
