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
#include "windows/fmain.h"
#include "windows/fmain_explicit.h"

namespace {

// Nobody is there to answer: boxes take their default, the "Connection
// Error" question is answered No (go on without the device).
class UnattendedUi : public platform::QtUiServices {
 public:
  int messageBox(const platform::MessageBoxRequest& request) override {
    std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
    return platform::IdOk;
  }
  int showModal(QDialog* dialog) override {
    if (auto* no = dialog->findChild<QPushButton*>(QStringLiteral("bNo"))) {
      no->click();
      return dialog->result();
    }
    return 0;
  }
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
  UnattendedUi ui;
  platform::setUi(&ui);
  const QString folder =
      argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(RLX_SOURCE_DIR_PATH "/docs/screenshots");
  QDir().mkpath(folder);

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
  net.setFault(explicitDevice, rlxsim::Fault::NoAnswer);
  configure(QStringLiteral("Routers/RLX-Explicit"), 7, 6);
  save(explicitWindow, folder, QStringLiteral("fMainExplicit_no_answer"));
  net.setFault(explicitDevice, rlxsim::Fault::None);

  fAbout* about = fAbout::instance();
  about->setParent(nullptr);
  save(about, folder, QStringLiteral("fAbout"));

  delete explicitWindow;
  delete main;
  delete about;
  return 0;
}
