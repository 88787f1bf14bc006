#include "startup.h"

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
  return StartMode::RegistrationDialog;
}

int RunSwitch(StartMode mode) {
  if (mode == StartMode::RegPlugIn) {
    device_resources::InstallDeviceResources();
    return registration::RegisterPlugIn(false) ? 0 : 1;
  }
  if (mode == StartMode::DeregPlugIn)
    registration::DeregisterPlugIn(false);
  return 0;
}

}  // namespace startup
