#include "startup.h"

#include <cstdio>

#include "host/device_resources.h"
#include "host/registration.h"

namespace startup {

StartMode ClassifyCommandLine(const QStringList& args) {
  if (args.size() == 1 && (args[0].compare(QLatin1String("-Embedding"), Qt::CaseInsensitive) == 0 ||
                           args[0].compare(QLatin1String("/Embedding"), Qt::CaseInsensitive) == 0))
    return StartMode::Automation;
  const QString line = args.join(u' ').trimmed().toLower();
  if (line == QLatin1String("/regplugin"))
    return StartMode::RegPlugIn;
  if (line == QLatin1String("/deregplugin"))
    return StartMode::DeregPlugIn;
  if (line == QLatin1String("--help") || line == QLatin1String("-h") || line == QLatin1String("/?"))
    return StartMode::Help;
  if (line == QLatin1String("--version"))
    return StartMode::Version;
  return StartMode::RegistrationDialog;
}

QString UsageText() {
  return QStringLiteral(
      "Usage: RLX_Plug [/regplugin | /deregplugin | -Embedding | --help | --version]\n"
      "\n"
      "The LNS device plug-in of the Zev Products RLX router.\n"
      "\n"
      "  /regplugin     install the device resource files into the LonWorks tree, add them\n"
      "                 to the resource catalog and register the plug-in with LNS\n"
      "  /deregplugin   remove the plug-in's LNS registration\n"
      "  -Embedding     serve directors on the session bus (D-Bus activation starts it so)\n"
      "  (nothing)      open the registration dialog\n"
      "  -h, --help     show this text\n"
      "      --version  show the plug-in's version\n"
      "\n"
      "Without a display (no DISPLAY or WAYLAND_DISPLAY, or one that cannot be opened)\n"
      "nothing waits for an operator: each message box is written to standard error and\n"
      "answered with its default button (/regplugin, /deregplugin), and a start that needs\n"
      "an answer (the registration dialog; a question while serving directors) writes what\n"
      "it would have asked and ends. With QT_QPA_PLATFORM=offscreen the windows are drawn\n"
      "offscreen; a question there ends the plug-in the same way.\n"
      "\n"
      "Exit status: 0 done; 1 /regplugin did not complete (a resource file or the\n"
      "registration); 2 an operator was needed and nobody was there to answer.\n"
      "\n"
      "The registry stand-in is the folder RLX_REGISTRY_ROOT names. QT_LOGGING_RULES=\"rlx.*=true\"\n"
      "writes what the plug-in does to standard error (rlx.registry, rlx.network,\n"
      "rlx.director, rlx.explicit, rlx.display).\n");
}

QString VersionText() { return QStringLiteral("RLX_Plug ") + registration::kVersion + u'\n'; }

int RunSwitch(StartMode mode) {
  if (mode == StartMode::RegPlugIn) {
    QStringList problems;
    const bool catalogued = device_resources::InstallDeviceResources(&problems);
    if (!catalogued && problems.isEmpty())
      problems << QStringLiteral("the device resources were not added to the catalog");
    // The registration is written whatever the resources' outcome.
    if (!registration::RegisterPlugIn(false))
      problems << QStringLiteral("the plug-in's registry entry could not be written");
    if (problems.isEmpty())
      return 0;
    std::fprintf(stderr, "RLX_Plug: /regplugin did not complete: %s\n",
                 problems.join(QStringLiteral("; ")).toLocal8Bit().constData());
    return kExitNotRegistered;
  }
  if (mode == StartMode::DeregPlugIn)
    registration::DeregisterPlugIn(false);
  return 0;
}

}  // namespace startup
