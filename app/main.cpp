// RLX_Plug: the RLX device plug-in. Started by a director through automation
// ("-Embedding"), or stand-alone with "/regplugin", "/deregplugin", "--help",
// "--version" or nothing.
#include <QApplication>
#include <cstdio>

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
#include "platform/display.h"
#include "platform/headless_ui.h"
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
  // "--help" and "--version" answer at once, with or without a display.
  QStringList args;
  for (int i = 1; i < argc; ++i)
    args << QString::fromLocal8Bit(argv[i]);
  if (const startup::StartMode early = startup::ClassifyCommandLine(args);
      early == startup::StartMode::Help || early == startup::StartMode::Version) {
    std::fputs(qPrintable(early == startup::StartMode::Help ? startup::UsageText() : startup::VersionText()), stdout);
    return 0;
  }
  // Installers run the switches without a desktop, and a DISPLAY left over
  // from another session may name a server that is gone: windows then go
  // offscreen instead of the program aborting.
  platform::DisplayStart display = platform::DisplayStart::prepare();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("RLX_Plug"));
  QApplication::setQuitOnLastWindowClosed(false);
  const platform::DisplayKind displayKind = display.settle();
  // Qt has taken its own options (-platform, -style ...) off the command line.
  const startup::StartMode mode = startup::ClassifyCommandLine(QApplication::arguments().mid(1));

  // With nobody to see the windows nothing may wait for an answer: the
  // switches take each box's default, anything else ends instead of asking.
  const bool switchStart = mode == startup::StartMode::RegPlugIn || mode == startup::StartMode::DeregPlugIn;
  platform::QtUiServices screenUi;
  platform::HeadlessUiServices headlessUi(switchStart ? platform::HeadlessUiServices::Questions::TakeDefault
                                                      : platform::HeadlessUiServices::Questions::EndProcess);
  platform::setUi(displayKind == platform::DisplayKind::Screen ? static_cast<platform::UiServices*>(&screenUi)
                                                               : &headlessUi);

  platform::ScreenshotRecorder::installFromEnvironment();
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

  switch (mode) {
    case startup::StartMode::Automation: return automation::RunAutomationServer();
    case startup::StartMode::RegPlugIn:
    case startup::StartMode::DeregPlugIn: return startup::RunSwitch(mode);
    case startup::StartMode::Help: std::fputs(qPrintable(startup::UsageText()), stdout); return 0;
    case startup::StartMode::Version: std::fputs(qPrintable(startup::VersionText()), stdout); return 0;
    case startup::StartMode::RegistrationDialog: break;
  }
  fRegisterPlugIn dialog;
  // Drawn offscreen on request the dialog runs as usual; with no display at
  // all nobody could ever press its buttons.
  if (displayKind == platform::DisplayKind::None)
    return headlessUi.refuse(&dialog,
                             QStringLiteral("without a display, register the plug-in with "
                                            "\"RLX_Plug /regplugin\" and remove it with \"RLX_Plug /deregplugin\""));
  platform::ui().showModeless(&dialog);
  return QApplication::exec();
}
