// RLX_Plug: the RLX device plug-in. Started by a director through automation
// ("-Embedding"), or stand-alone with "/regplugin", "/deregplugin" or nothing.
#include <QApplication>

#include "host/dbus_server.h"
#include "host/fregisterplugin.h"
#include "host/ldrf.h"
#include "host/lnspluginapi.h"
#include "host/object_server_binding.h"
#include "host/startup.h"
#include "host/template_registration.h"
#include "lonworks/device_resources/ldrf_standin.h"
#include "lonworks/object_server/object_server.h"
#include "lonworks/rlx_device/rlx_runtime.h"
#include "phonebook/phonebook_editor.h"
#include "platform/screenshots.h"
#include "platform/ui_services.h"
#include "platform/version_record.h"
#include "windows/fmain.h"
#include "windows/fmain_explicit.h"

RLX_VERSION_RECORD(
    "CompanyName=Zev Products Inc.\0FileDescription=RLX_IM UTILITY\0ProductName=RLX_IM UTILITY\0"
    "FileVersion=1.00\0ProductVersion=1.00\0InternalName=RLX_Plug\0OriginalFilename=RLX_Plug.exe\0"
    "OLESelfRegister=");

int main(int argc, char** argv) {
  // Installers run the switches without a desktop; windows then go offscreen.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("RLX_Plug"));
  QApplication::setQuitOnLastWindowClosed(false);

  platform::ScreenshotRecorder::installFromEnvironment();
  platform::QtUiServices ui;
  platform::setUi(&ui);
  lonworks::LdrfStandInFactory resources;
  ldrf::setFactory(&resources);
  // fMain's Object Server control: the simulated server over the network
  // database of the LonWorks tree, its RLX routers answering through the
  // device simulator.
  SetObjectServerFactory([] { return rlxsim::makeRlxObjectServer(); });
  fMain::Register();
  fMainExplicit::Register();
  phonebook::RegisterPhoneBookWindow();
  // The director's "Register" command (50).
  SetRegisterCommandsHook(&template_registration::RegisterCommands);

  const startup::StartMode mode = startup::ClassifyCommandLine(QApplication::arguments().mid(1));
  switch (mode) {
    case startup::StartMode::Automation: return automation::RunAutomationServer();
    case startup::StartMode::RegPlugIn:
    case startup::StartMode::DeregPlugIn: return startup::RunSwitch(mode);
    case startup::StartMode::RegistrationDialog: break;
  }
  fRegisterPlugIn dialog;
  ui.showModeless(&dialog);
  return QApplication::exec();
}
