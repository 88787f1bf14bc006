// Draws the main windows in the states an operator meets them, offscreen on
// the simulated demo network, and saves them as PNG files for the
// documentation:
//   window_screenshots [FOLDER]   (default: docs/screenshots of the source tree)
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <cstdio>

#include "explicit_control/zev_activex_ctrl.h"
#include "host/attach.h"
#include "host/fabout.h"
#include "host/mmain.h"
#include "host/plugin_window.h"
#include "platform/ui_services.h"
#include "tests/support/sim_network.h"
#include "windows/dial_modes.h"
#include "windows/fdialondemand.h"
#include "windows/fmain.h"
#include "windows/fmain_explicit.h"
#include "windows/fperpetual.h"

namespace {

void save(QWidget* window, const QString& folder, const QString& name);

// Nobody is there to answer: boxes take their default, the "Connection
// Error" question is answered No (go on without the device). The perpetual
// mode dialog is drawn with its second line chosen.
class UnattendedUi : public platform::QtUiServices {
 public:
  explicit UnattendedUi(QString folder) : folder_(std::move(folder)) {}
  int messageBox(const platform::MessageBoxRequest& request) override {
    std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
    return platform::IdOk;
  }
  int showModal(QDialog* dialog) override {
    if (auto* no = dialog->findChild<QPushButton*>(QStringLiteral("bNo"))) {
      no->click();
      return dialog->result();
    }
    if (auto* perpetual = qobject_cast<fPerpetual*>(dialog)) {
      perpetual->ComboPhonebook->setCurrentIndex(1);
      save(perpetual, folder_, QStringLiteral("fPerpetual"));
    }
    return 0;
  }

 private:
  QString folder_;
};

void save(QWidget* window, const QString& folder, const QString& name) {
  window->show();
  QApplication::processEvents();
  const QString path = folder + u'/' + name + QStringLiteral(".png");
  if (!window->grab().save(path, "PNG"))
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  else
    std::printf("%s\n", qPrintable(path));
  window->hide();
}

void configure(const QString& path, qint32 type, int row) {
  attach::SplitPath(path);
  attach::Attach(MMain.PlugInCommandTable[row], attach::FindObject(type));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("RLX_Plug"));
  const QString folder =
      argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(RLX_SOURCE_DIR_PATH "/docs/screenshots");
  QDir().mkpath(folder);
  UnattendedUi ui(folder);
  platform::setUi(&ui);

  testing_support::SimNetwork net;
  fMain::Register();
  fMainExplicit::Register();
  auto* main = dynamic_cast<fMain*>(Window(WindowId::fMain));
  auto* explicitWindow = dynamic_cast<fMainExplicit*>(Window(WindowId::fMainExplicit));
  main->Control->SetCompletionWait(&net.completionWait());
  explicitWindow->Control->SetCompletionWait(&net.completionWait());
  const QString internal = QStringLiteral("Routers/RLX-LonMark/") + MMain.InternalModemObjectName;
  auto lonMark = net.lonMarkDevice();
  auto modem = net.lonMarkObject(MMain.InternalModemObjectName);

  // fMain on the internal modem: ready, then during a call.
  configure(internal, 28, 1);
  save(main, folder, QStringLiteral("fMain_ready"));
  modem->NetworkVariables()->Item(QStringLiteral("nviDialStr1"))->SetValue(QStringLiteral("5551234"));
  net.advance(4100);
  main->Timer1Tick();
  save(main, folder, QStringLiteral("fMain_talking"));
  modem->NetworkVariables()->Item(QStringLiteral("nviCallCancel1"))->SetValue(QStringLiteral("1 1"));
  net.advance(1100);

  // A modem that is not ready.
  net.setModem(lonMark, 0, rlxsim::Presence::NotReady);
  configure(internal, 28, 1);
  save(main, folder, QStringLiteral("fMain_not_ready"));
  net.setModem(lonMark, 0, rlxsim::Presence::Ready);

  // The system off-net.
  net.setOffNet(true);
  configure(internal, 28, 1);
  save(main, folder, QStringLiteral("fMain_offnet"));
  net.setOffNet(false);

  // fMainExplicit: ready, then a device that does not answer.
  auto explicitDevice = net.explicitDevice();
  configure(QStringLiteral("Routers/RLX-Explicit"), 7, 6);
  explicitWindow->Timer2Tick();
  save(explicitWindow, folder, QStringLiteral("fMainExplicit_ready"));

  // A call placed from the explicit window: a phonebook entry chosen and
  // dialled, followed by the status poll to the connection.
  auto records = explicitDevice->Extensions();
  const std::pair<const char*, const char*> book[] = {
      {"5551234", "Head office"}, {"9,5559876", "Warehouse"}, {"P0041223456789", ""}};
  for (int i = 0; i < 3; ++i) {
    auto r = records->Item(QStringLiteral("ZevExplicitPhonebook") + QString::number(i));
    r->SetField(1, QString::fromLatin1(book[i].first));
    r->SetField(2, QString::fromLatin1(book[i].second));
  }
  explicitWindow->ModemSelection();
  explicitWindow->ComboPhone->setCurrentIndex(explicitWindow->ComboPhone->findText(QStringLiteral("Warehouse")));
  explicitWindow->CmdDial->click();
  net.advance(1000);
  explicitWindow->Timer2Tick();
  save(explicitWindow, folder, QStringLiteral("fMainExplicit_dialing"));
  net.advance(3100);
  explicitWindow->Timer2Tick();
  save(explicitWindow, folder, QStringLiteral("fMainExplicit_talking"));
  explicitWindow->CmdCallCancel->click();
  net.advance(1100);
  explicitWindow->Timer2Tick();

  // The perpetual mode dialog over the explicit window (drawn by the UI above).
  dial_modes::OpenPerpetualExplicit(*explicitWindow, explicitDevice);

  net.setFault(explicitDevice, rlxsim::Fault::NoAnswer);
  configure(QStringLiteral("Routers/RLX-Explicit"), 7, 6);
  save(explicitWindow, folder, QStringLiteral("fMainExplicit_no_answer"));
  net.setFault(explicitDevice, rlxsim::Fault::None);

  // The dial-on-demand settings of the LonMark router's internal modem.
  modem->ConfigProperties()
      ->Item(QStringLiteral("UCPT_DialMode"))
      ->SetValue(QStringLiteral("DOD,0,3,60,2,0,0,0,0,0,0"));
  configure(internal, 28, 1);
  dial_modes::OpenDialOnDemand(*main, modem);
  if (auto* dod = main->findChild<fDialOnDemand*>()) {
    dod->setParent(nullptr);
    save(dod, folder, QStringLiteral("fDialOnDemand"));
    delete dod;
  }

  fAbout* about = fAbout::instance();
  about->setParent(nullptr);
  save(about, folder, QStringLiteral("fAbout"));

  delete explicitWindow;
  delete main;
  delete about;
  return 0;
}
